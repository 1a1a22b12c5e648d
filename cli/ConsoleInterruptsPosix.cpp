#include <unistd.h>

#include <csignal>

#include "cli/ConsoleInterrupts.h"
#include "cli/DeviceFleet.h"
#include "cli/ExitCodes.h"
#include "support/Interruption.h"

namespace merivane::cli {
namespace {

void OnInterrupt(int signal) {
    PassSignalToDevices(signal);
    if (InterruptionRequested()) _exit(kExitInterrupted);
    RequestInterruption(signal);
}

}  // namespace

void HandleInterrupts() {
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace merivane::cli
