#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link/Transport.h"

namespace merivane {

class BatchExecutor;
class CKestrionApp;
class Prompts;

// How the program was started.
struct StartupOptions {
    bool debug = false;  // "/debug" or --debug: keep the command log
    std::string logPath = "command.log";
    std::string portPath;  // --port PATH: skip discovery
};

// What start-up needs from the desktop (or from a test).
struct StartupHooks {
    Prompts* prompts = nullptr;
    BatchExecutor* executor = nullptr;
    Transport::Chooser choosePort;
    // Shows the identified device's status line ("Connected (...)").
    std::function<void(const std::string&)> setStatus;
    // Builds the sheet with the pages that suit the product and runs it
    // modally; returns when the sheet has closed.
    std::function<void()> runSheet;
    // Runs one start-up exchange with the device; `step` says what it does
    // ("Looking for the device..."). The desktop runs it off the user-interface
    // thread behind its start-up window. Returns false when the user has given
    // start-up up. Without it the exchange runs on the calling thread.
    std::function<bool(const std::string& step, const std::function<void()>& exchange)> runStep;
};

// The whole run: detection (Retry/Cancel), console pause, Python auto-start,
// product query, identification (Retry/Cancel), the sheet, console resume,
// clean-up. Ends the process itself when the device never names a product.
void RunStartup(CKestrionApp& app, const StartupOptions& options, const StartupHooks& hooks);

// The detection message and its detailed reason (which port could not be
// opened and what to do about it), when there is one.
std::string DetectionProblemDetails(const Transport& transport);

}  // namespace merivane
