// merivane-cli: the tool's device operations from the command line, for scripts and for
// many devices at once.

#include <libxml/xmlversion.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "cli/CliProgram.h"
#include "cli/DeviceFleet.h"
#include "cli/ExitCodes.h"
#include "support/Interruption.h"

namespace {

// The first Ctrl+C (or termination request) lets the exchange in progress end
// cleanly and the console be given back; a second one ends the program at once.
// The per-device processes of a fleet run get each signal too.
void OnInterrupt(int signal) {
    merivane::cli::PassSignalToDevices(signal);
    if (merivane::InterruptionRequested()) _exit(merivane::cli::kExitInterrupted);
    merivane::RequestInterruption(signal);
}

void HandleInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char* argv[]) {
    // A device that vanishes mid-write shows up as a failed write, not as the end of the program.
    std::signal(SIGPIPE, SIG_IGN);
    HandleInterrupts();
    LIBXML_TEST_VERSION
    return merivane::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
