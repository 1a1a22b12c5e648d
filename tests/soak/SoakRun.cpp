#include "soak/SoakRun.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "app/BatchExecutor.h"
#include "app/Identification.h"
#include "app/Product.h"
#include "app/SettingsApply.h"
#include "link/Transport.h"
#include "ops/PythonFileUpload.h"
#include "settings/Bindings.h"
#include "settings/DocumentStore.h"
#include "sim/SimulatedDevice.h"
#include "support/Clock.h"
#include "support/ScriptedPrompts.h"

namespace merivane::soak {
namespace {

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

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

const std::vector<std::string> kFaults = {
    "silent:AT+CSQ",
    "error:AT+CIMI",
    "error:AT+CNUM",
    "garbage",
    "split",
    "slow:300",
    "echo-only:AT+CGMR",
    "bad-xml:<query_state/>",
    "silent:<query_setting></query_setting>",
    "huge:AT+CGSN",
    "error:at&usbinterface=22",
    "unplug-after-bytes:1500",
    "corrupt-upload",
    "silent:usbinterface=41",
};

// Every fifth cycle also sends a Python file, so the upload dialog meets the faults too.
constexpr int kUploadEvery = 5;

// Ends the process when one cycle runs past the limit: a hang must fail the
// run rather than stall it until an outer time-out.
class HangWatch {
  public:
    explicit HangWatch(int limitSeconds) : limit_(limitSeconds), thread_([this] { Watch(); }) {}
    ~HangWatch() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void CycleStarted(int cycle) {
        std::lock_guard<std::mutex> lock(mutex_);
        cycle_ = cycle;
        started_ = std::chrono::steady_clock::now();
    }

  private:
    void Watch() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!done_) {
            wake_.wait_for(lock, std::chrono::seconds(1));
            if (cycle_ > 0 && std::chrono::steady_clock::now() - started_ > limit_) {
                std::fprintf(stderr, "soak: cycle %d did not end within %lld s\n", cycle_,
                             static_cast<long long>(limit_.count()));
                std::fflush(stderr);
                ::_exit(3);
            }
        }
    }

    const std::chrono::seconds limit_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    int cycle_ = 0;
    std::chrono::steady_clock::time_point started_;
    std::thread thread_;
};

std::vector<std::string> ChooseFaults(std::mt19937& random) {
    std::vector<std::string> chosen;
    for (int n = static_cast<int>(random() % 3); n > 0; --n)
        chosen.push_back(kFaults[random() % kFaults.size()]);
    // A 10 MB answer dribbled out a few bytes at a time would keep the
    // simulated line busy for the better part of an hour: never both.
    if (std::count(chosen.begin(), chosen.end(), "huge:AT+CGSN") > 0)
        chosen.erase(std::remove(chosen.begin(), chosen.end(), "split"), chosen.end());
    return chosen;
}

}  // namespace

Options OptionsFromArguments(int argc, char** argv) {
    Options options;
    if (argc > 1) options.cycles = std::max(1, std::atoi(argv[1]));
    if (argc > 2 && std::atof(argv[2]) > 0) options.clockScale = std::atof(argv[2]);
    return options;
}

int Run(const Options& options, const ExecutorFactory& makeExecutor, const CycleCheck& afterCycle) {
    std::signal(SIGPIPE, SIG_IGN);
    ScaledClock clock(options.clockScale, 1500);
    InstallClock(&clock);

    std::string folder = (std::filesystem::temp_directory_path() / "merivane-soak-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 2;
    sim::DeviceOptions deviceOptions;
    deviceOptions.linkPath = folder + "/ttyDEVICE";
    deviceOptions.console = false;
    sim::SimulatedDevice device(deviceOptions);
    Transport transport;
    if (!device.Start() || !transport.OpenNamedPort(device.LinkPath())) {
        std::fprintf(stderr, "soak: the simulated device did not start\n");
        return 2;
    }
    std::unique_ptr<BatchExecutor> executor = makeExecutor(transport);
    std::mt19937 random(20261208);
    long warmRss = 0;
    int failures = 0;
    int identified = 0;
    int applied = 0;
    int uploads = 0;
    int uploaded = 0;
    const std::string localFile = folder + "/soak.py";
    {
        std::ofstream file(localFile, std::ios::binary);
        for (int line = 0; line < 150; ++line) file << "print('soak line " << line << "')\n";
    }
    HangWatch watch(options.cycleLimitSeconds);

    for (int cycle = 1; cycle <= options.cycles; ++cycle) {
        watch.CycleStarted(cycle);
        device.ClearFaults();
        // The simulator keeps every command it received; that history is not the tool's memory.
        device.ClearReceivedCommands();
        // Every tenth cycle runs clean: the tool must still be usable after the faults before it.
        const bool clean = cycle % 10 == 0;
        if (!clean)
            for (const std::string& fault : ChooseFaults(random)) device.AddFault(fault);

        DeviceIdentity identity;
        DocumentStore documents;
        const bool ok = IdentifyDevice(transport, *executor, kBrivel, identity, documents);
        identified += ok;
        if (clean && !ok) {
            std::fprintf(stderr, "soak: cycle %d: a clean identification failed\n", cycle);
            ++failures;
        }
        if (ok && documents.SettingsNode() != nullptr) {
            std::string apn = "soak" + std::to_string(cycle) + ".example";
            WriteBindings(BindingTable{BindText("mobile_simple/apn", &apn, "")},
                          documents.SettingsNode());
            const ApplyOutcome outcome = ApplySettings(*executor, documents);
            applied += outcome == ApplyOutcome::Applied;
            if (clean && outcome != ApplyOutcome::Applied) {
                std::fprintf(stderr, "soak: cycle %d: a clean apply failed\n", cycle);
                ++failures;
            }
        }
        if (cycle % kUploadEvery == 0) {
            test::ScriptedPrompts prompts;  // Cancel after a mismatch
            const UploadOutcome outcome = UploadPythonFile(localFile, *executor, prompts).outcome;
            ++uploads;
            uploaded += outcome == UploadOutcome::Verified;
            if (clean && outcome != UploadOutcome::Verified) {
                std::fprintf(stderr, "soak: cycle %d: a clean upload was not verified\n", cycle);
                ++failures;
            }
        }
        if (afterCycle) {
            const std::string problem = afterCycle(cycle);
            if (!problem.empty()) {
                std::fprintf(stderr, "soak: cycle %d: %s\n", cycle, problem.c_str());
                ++failures;
            }
        }
        if (cycle == std::min(50, options.cycles)) warmRss = ResidentKb();
        if (cycle % 50 == 0)
            std::printf("cycle %d: identified %d, applied %d, uploaded %d of %d, resident %ld kB\n",
                        cycle, identified, applied, uploaded, uploads, ResidentKb());
        std::fflush(stdout);
    }
    executor.reset();
    device.Stop();
    std::filesystem::remove_all(folder);
    const long growth = ResidentKb() - warmRss;
    std::printf(
        "%d cycles: identified %d, applied %d, uploaded %d of %d, failed cycles %d, "
        "resident growth after warm-up %ld kB%s\n",
        options.cycles, identified, applied, uploaded, uploads, failures, growth,
        kAddressSanitizer ? " (not judged under AddressSanitizer)" : "");
    // A leak of even a small buffer per cycle shows up over hundreds of cycles.
    // AddressSanitizer holds freed memory back in its quarantine, so there the
    // resident size says nothing; its leak checker reports at exit instead.
    const bool grew = !kAddressSanitizer && options.cycles >= 200 && growth > 8 * 1024;
    if (grew) std::fprintf(stderr, "soak: resident memory grew by %ld kB\n", growth);
    InstallClock(nullptr);
    return failures == 0 && !grew ? 0 : 1;
}

}  // namespace merivane::soak
