#pragma once

// The soak run shared by the headless and the desktop soak programs:
// identification and settings apply (and now and then a Python file upload),
// cycle after cycle, against a simulated device whose faults are switched on
// and off at random.

#include <functional>
#include <memory>
#include <string>

namespace merivane {

class BatchExecutor;
class Transport;

namespace soak {

struct Options {
    int cycles = 500;
    double clockScale = 50.0;
    // A cycle that takes longer than this in real time has hung: the run ends at once.
    int cycleLimitSeconds = 300;
};

// Reads "CYCLES [SCALE]" from the command line.
Options OptionsFromArguments(int argc, char** argv);

using ExecutorFactory = std::function<std::unique_ptr<BatchExecutor>(Transport&)>;
// Called after each cycle; a non-empty answer is a failure of that cycle.
using CycleCheck = std::function<std::string(int cycle)>;

// Runs the cycles with executors from `makeExecutor` and returns the exit
// status: 0 when every clean cycle identified and applied, every check passed
// and resident memory did not grow once the first cycles had warmed up.
int Run(const Options& options, const ExecutorFactory& makeExecutor,
        const CycleCheck& afterCycle = {});

}  // namespace soak
}  // namespace merivane
