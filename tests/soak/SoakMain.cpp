// Identification and settings apply, cycle after cycle, against a simulated
// device whose faults are switched on and off at random. Every cycle must end
// (no hang past the time-outs), every few cycles a clean identification must
// succeed (the tool is still usable), and the resident memory must not grow
// once the first cycles have warmed up. Run it under AddressSanitizer for
// leaks: scripts/soak.sh.
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/BatchExecutor.h"
#include "app/Identification.h"
#include "app/Product.h"
#include "app/SettingsApply.h"
#include "link/Transport.h"
#include "settings/Bindings.h"
#include "settings/DocumentStore.h"
#include "sim/SimulatedDevice.h"
#include "support/Clock.h"

namespace {

using namespace merivane;

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

const std::vector<std::string> kFaults = {
    "silent:AT+CSQ",      "error:AT+CIMI",          "error:AT+CNUM",         "garbage",
    "split",              "slow:300",               "echo-only:AT+CGMR",     "bad-xml:<query_state/>",
    "silent:<query_setting></query_setting>",       "huge:AT+CGSN",          "error:at&usbinterface=22",
};

}  // namespace

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 500;
    const double scale = argc > 2 ? std::atof(argv[2]) : 50.0;
    ScaledClock clock(scale, 1500);
    InstallClock(&clock);

    std::string folder = (std::filesystem::temp_directory_path() / "merivane-soak-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 2;
    sim::DeviceOptions options;
    options.linkPath = folder + "/ttyDEVICE";
    options.console = false;
    sim::SimulatedDevice device(options);
    Transport transport;
    if (!device.Start() || !transport.OpenNamedPort(device.LinkPath())) {
        std::fprintf(stderr, "soak: the simulated device did not start\n");
        return 2;
    }
    HeadlessExecutor executor(transport);
    std::mt19937 random(20261208);
    long warmRss = 0;
    int failures = 0;
    int identified = 0;
    int applied = 0;

    for (int cycle = 1; cycle <= cycles; ++cycle) {
        device.ClearFaults();
        // The simulator keeps every command it received; that history is not the tool's memory.
        device.ClearReceivedCommands();
        const bool clean = cycle % 10 == 0;
        if (!clean) {
            std::vector<std::string> chosen;
            for (int n = static_cast<int>(random() % 3); n > 0; --n) chosen.push_back(kFaults[random() % kFaults.size()]);
            // A 10 MB answer dribbled out a few bytes at a time would keep the
            // simulated line busy for the better part of an hour: never both.
            const bool huge = std::count(chosen.begin(), chosen.end(), "huge:AT+CGSN") > 0;
            for (const std::string& fault : chosen)
                if (!(huge && fault == "split")) device.AddFault(fault);
        }
        DeviceIdentity identity;
        DocumentStore documents;
        const bool ok = IdentifyDevice(transport, executor, kBrivel, identity, documents);
        identified += ok;
        if (clean && !ok) {
            std::fprintf(stderr, "soak: cycle %d: a clean identification failed\n", cycle);
            ++failures;
        }
        if (ok && documents.SettingsNode() != nullptr) {
            std::string apn = "soak" + std::to_string(cycle) + ".example";
            WriteBindings(BindingTable{BindText("mobile_simple/apn", &apn, "")}, documents.SettingsNode());
            const ApplyOutcome outcome = ApplySettings(executor, documents);
            applied += outcome == ApplyOutcome::Applied;
            if (clean && outcome != ApplyOutcome::Applied) {
                std::fprintf(stderr, "soak: cycle %d: a clean apply failed\n", cycle);
                ++failures;
            }
        }
        if (cycle == std::min(50, cycles)) warmRss = ResidentKb();
        if (cycle % 50 == 0)
            std::printf("cycle %d: identified %d, applied %d, resident %ld kB\n", cycle, identified, applied,
                        ResidentKb());
        std::fflush(stdout);
    }
    device.Stop();
    std::filesystem::remove_all(folder);
    const long growth = ResidentKb() - warmRss;
    std::printf("%d cycles: identified %d, applied %d, clean-cycle failures %d, resident growth after warm-up %ld kB\n",
                cycles, identified, applied, failures, growth);
    // A leak of even a small buffer per cycle shows up over hundreds of cycles.
    const bool grew = cycles >= 200 && growth > 8 * 1024;
    if (grew) std::fprintf(stderr, "soak: resident memory grew by %ld kB\n", growth);
    InstallClock(nullptr);
    return failures == 0 && !grew ? 0 : 1;
}
