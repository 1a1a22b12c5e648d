#pragma once

#include <functional>

namespace merivane {

class CommandLog;

// Ends the process at once (product not found, reboot, firmware update):
// flushes and closes the command log, then exits with `code`. Tests install
// a handler that observes the end instead of dying.
[[noreturn]] void EndProcess(int code);

// The log EndProcess closes (the application's); nullptr for none.
void SetEndProcessLog(CommandLog* log);

// Replaces the exit for tests: the handler is called with the code and must
// not return normally (it throws or longjmps out of the sequence under test).
void SetEndProcessHandler(std::function<void(int)> handler);

}  // namespace merivane
