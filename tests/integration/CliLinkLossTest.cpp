// merivane-cli with a device that goes away during its work.
#include <atomic>
#include <thread>

#include "CliTestSupport.h"
#include "link/Transport.h"

namespace merivane::test {
namespace {

class CliLinkLossTest : public CliFixture {
  protected:
    // Pulls the device once identification has begun.
    void UnplugDuringIdentification(sim::SimulatedDevice& device) {
        mover_ = std::thread([&device, this] {
            while (ReceivedWith(device, "ATI9").empty() && !stop_) TheClock().SleepMs(5);
            unpluggedAt_ = Clock::RealNowMs();
            device.Unplug();
        });
    }
    void TearDown() override {
        stop_ = true;
        if (mover_.joinable()) mover_.join();
    }

    std::thread mover_;
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> unpluggedAt_{0};
};

constexpr char kWaitingLine[] = "The device has gone away (unplugged or restarting)";

TEST_F(CliLinkLossTest, ADeviceThatNeverReturnsEndsTheRunAfterOneWaitWithoutRetries) {
    sim::SimulatedDevice& device = StartDevice("ttyGONE", Options());
    UnplugDuringIdentification(device);
    const CliRun run = RunOn(device, {"info"});
    const uint64_t ended = Clock::RealNowMs();
    EXPECT_EQ(run.exit, 1) << run.err;
    EXPECT_NE(run.err.find(kWaitingLine), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("Trying again"), std::string::npos) << "a lost link is never retried";
    EXPECT_LT(ended - unpluggedAt_, Transport::kReopenWindowMs / kCliTimeScale + 10000);
}

TEST_F(CliLinkLossTest, CtrlCDuringTheWaitEndsTheRunPromptly) {
    sim::SimulatedDevice& device = StartDevice("ttyGONE", Options());
    UnplugDuringIdentification(device);
    uint64_t interruptedAt = 0;
    // On the real clock the wait would last a minute.
    const CliRun run =
        RunCli({"--port", device.LinkPath(), "info"}, {{"MERIVANE_TIME_SCALE", "1"}},
               dir_.Path().string(), {}, 120000, [&](pid_t pid, const CliRun& sofar) {
                   if (interruptedAt == 0 && sofar.err.find(kWaitingLine) != std::string::npos) {
                       kill(pid, SIGINT);
                       interruptedAt = Clock::RealNowMs();
                   }
               });
    ASSERT_NE(interruptedAt, 0u) << run.err;
    EXPECT_EQ(run.exit, 130) << run.err;
    EXPECT_LT(Clock::RealNowMs() - interruptedAt, 3000u);
    EXPECT_NE(run.err.find("Interrupted."), std::string::npos) << run.err;
    for (const char* misleading : {"Unable to communicate", "Giving up", "did not come back"})
        EXPECT_EQ(run.err.find(misleading), std::string::npos) << run.err;
}

// A device that vanishes during start-up's own questions (the console pause,
// the product) is waited for as in a batch, and asked again when it is back.
TEST_F(CliLinkLossTest, AnUnplugDuringStartUpIsWaitedForAndTheRunGoesOn) {
    sim::SimulatedDevice& device = StartDevice("ttyBOOT", Options());
    mover_ = std::thread([&device, this] {
        while (ReceivedWith(device, "55,pause").empty() && !stop_) TheClock().SleepMs(5);
        TheClock().SleepMs(500);
        device.Unplug();
        TheClock().SleepMs(5000);
        device.Plug();
    });
    const CliRun run = RunOn(device, {"info"});
    EXPECT_EQ(run.exit, 0) << run.err;
    EXPECT_NE(run.err.find(kWaitingLine), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("The device is back."), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("product:"), std::string::npos) << run.out;
}

// A device that restarts during an upload's data: back within the window, it
// gets the whole upload again and the file is verified; gone for longer, the
// upload fails and is never reported as uploaded.
TEST_F(CliLinkLossTest, AnUploadCutOffByAnUnplugIsUploadedAgainOrFailsCleanly) {
    struct Case {
        const char* name;
        uint64_t awayMs;
        int exit;
        bool uploaded;
    };
    const Case cases[] = {
        {"back after 5 s", 5000, 0, true},
        {"away longer than the window", Transport::kReopenWindowMs + 30000, 1, false},
    };
    const std::string local = dir_.File("big.py");
    WriteWholeFile(local, std::string(200 * 1024, 'u'));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::DeviceOptions options = Options();
        options.restartMs = c.awayMs;
        options.faults = {"unplug-after-bytes:60000"};
        sim::SimulatedDevice& device = StartDevice(std::string("ttyUP") + c.name[0], options);
        const CliRun run = RunOn(device, {"--json", "upload", local});
        EXPECT_EQ(run.exit, c.exit) << run.err;
        const Json document = JsonDocument(run);
        EXPECT_EQ(document.value("uploaded", !c.uploaded), c.uploaded) << run.out;
        EXPECT_NE(run.err.find(kWaitingLine), std::string::npos) << run.err;
        EXPECT_EQ(device.FileContents("/WEB/python/big.py") == std::string(200 * 1024, 'u'),
                  c.uploaded);
    }
}

// Ctrl+C in the middle of an upload: the bytes the device was promised still go,
// the console is given back, and the device serves the next run.
TEST_F(CliLinkLossTest, CtrlCDuringAnUploadLeavesTheDeviceReadyForTheNextRun) {
    sim::SimulatedDevice& device = StartDevice("ttyUP", Options());
    const std::string local = dir_.File("big.py");
    WriteWholeFile(local, std::string(400 * 1024, 'u'));
    bool interrupted = false;
    const CliRun run =
        RunCli({"--port", device.LinkPath(), "upload", local}, {}, dir_.Path().string(), {}, 120000,
               [&](pid_t pid, const CliRun&) {
                   if (!interrupted && !ReceivedWith(device, "AT&USBINTERFACE=5").empty()) {
                       kill(pid, SIGINT);
                       interrupted = true;
                   }
               });
    ASSERT_TRUE(interrupted);
    EXPECT_EQ(run.exit, 130) << run.err;
    EXPECT_EQ(LastCommand(device, "AT&usbinterface=55,go"), "AT&usbinterface=55,go");
    EXPECT_EQ(RunOn(device, {"info"}).exit, 0) << "the device serves the next run";
}

}  // namespace
}  // namespace merivane::test
