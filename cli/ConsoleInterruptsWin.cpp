#include <windows.h>

#include <csignal>

#include "cli/ConsoleInterrupts.h"
#include "cli/ExitCodes.h"
#include "support/Interruption.h"

namespace merivane::cli {
namespace {

// Runs on a thread of its own that the console starts. Every process attached
// to the console gets the same event, the fleet's device processes included,
// so nothing needs passing on. Closing the window or logging off ends the
// process when the handler returns; the flag lets the exchange end first.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    if (InterruptionRequested()) ::ExitProcess(kExitInterrupted);
    RequestInterruption(signal);
    return TRUE;
}

}  // namespace

void HandleInterrupts() { ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

}  // namespace merivane::cli
