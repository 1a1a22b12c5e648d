// merivane-devsim: a simulated device on a pseudo-terminal, published under
// the link given with --link, until SIGINT or SIGTERM. MERIVANE_TIME_SCALE runs its
// delays (slow answers, restarts) faster, on the same scale as the tool under test.

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "sim/DevsimCommandLine.h"
#include "sim/SimulatedDevice.h"
#include "support/TimeScale.h"

int main(int argc, char** argv) {
    using merivane::sim::DevsimCommandLine;
    using merivane::sim::SimulatedDevice;

    DevsimCommandLine commandLine;
    std::string error;
    if (!commandLine.Parse(std::vector<std::string>(argv + 1, argv + argc), error)) {
        fprintf(stderr, "merivane-devsim: %s\n%s", error.c_str(),
                DevsimCommandLine::Usage().c_str());
        return 2;
    }
    if (commandLine.help) {
        fputs(DevsimCommandLine::Usage().c_str(), stdout);
        return 0;
    }
    if (!merivane::InstallTimeScaleFromEnvironment(error)) {
        fprintf(stderr, "merivane-devsim: %s\n", error.c_str());
        return 2;
    }

    // The signals are taken by sigwait below; the device thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    // A cable pulled and put back, on request: SIGUSR1 unplugs, SIGUSR2 plugs in again.
    sigaddset(&stopSignals, SIGUSR1);
    sigaddset(&stopSignals, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    SimulatedDevice device(commandLine.options);
    if (!device.Start()) {
        fprintf(stderr, "merivane-devsim: cannot start the device at %s\n",
                commandLine.options.linkPath.c_str());
        return 1;
    }
    if (commandLine.autostart)
        device.SetSetting("python/state", *commandLine.autostart ? "on" : "off");
    printf("READY %s\n", device.LinkPath().c_str());
    fflush(stdout);

    for (;;) {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        if (signal == SIGUSR1) {
            device.Unplug();
        } else if (signal == SIGUSR2) {
            device.Plug();
        } else {
            break;
        }
    }
    device.Stop();
    return 0;
}
