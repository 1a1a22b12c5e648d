#pragma once

#include <cstddef>
#include <string>

#include "link/USBCommand.h"

namespace merivane {

class ProgressSink;
class Transport;

// Told of each command as the batch reaches it (the runner dialog shows the
// step text and steps its bar).
class BatchObserver {
  public:
    virtual ~BatchObserver() = default;
    virtual void ShowStep(size_t position, const std::string& message) = 0;
};

// The number of commands that run: those before the first empty command.
size_t RunnableCount(const CommandList& list);

// Sets the bar up for a batch: range 0 to the sum of the time-outs in 100 ms
// units (cut to 16 bits, as a progress control takes it), position 0, step 10.
void PrepareBatchProgress(const CommandList& list, ProgressSink* bar);

// Runs the batch on the calling thread: for each command, tells the observer,
// sends, receives (without end markers for the firmware-apply command),
// parses, and fills `result` and `failed`. Stops at the first empty command.
void RunCommands(Transport& transport, CommandList& list, ProgressSink* bar,
                 BatchObserver* observer);

// Runs a batch the way the dialog does, but without a window: the progress is
// prepared, the batch runs on a worker thread, and the call returns when it
// has finished. Each step moves the bar by one step. For tests and the command line.
void RunBatch(Transport& transport, CommandList& list, ProgressSink* bar = nullptr);

}  // namespace merivane
