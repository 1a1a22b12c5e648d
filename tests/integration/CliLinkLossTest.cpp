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
