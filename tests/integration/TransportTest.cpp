#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <functional>
#include <optional>
#include <thread>

#include "link/Transport.h"
#include "sim/SimulatedDevice.h"
#include "support/Clock.h"
#include "support/Interruption.h"
#include "support/RecordingProgress.h"
#include "support/TempDir.h"

namespace merivane {
namespace {

using sim::DeviceOptions;
using sim::SimulatedDevice;
using test::RecordingProgress;
using test::TempDir;

constexpr size_t kRoom = Transport::kAnswerBufferSize;

class TransportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeviceOptions options;
        options.console = false;  // start-up's console pause is not part of these exchanges
        Start(options);
    }

    void Start(DeviceOptions options) {
        options.linkPath = dir_.File("ttyDEVICE");
        device_ = std::make_unique<SimulatedDevice>(options);
        ASSERT_TRUE(device_->Start());
        ASSERT_TRUE(transport_.OpenNamedPort(device_->LinkPath()));
    }

    // Runs the product clock faster for the rest of the test. The fixture owns the
    // clock: the device's thread reads it until TearDown has stopped the device.
    void UseFastClock(double factor, uint64_t receiveFloorMs) {
        clock_.emplace(factor, receiveFloorMs);
        InstallClock(&*clock_);
    }

    void TearDown() override {
        device_.reset();
        InstallClock(nullptr);
    }

    // One exchange as the runner makes it; returns the verdict.
    bool Exchange(const std::string& command, uint32_t timeoutMs, std::string& parsed,
                  bool noEndMarker = false, ProgressSink* bar = nullptr) {
        raw_.clear();
        EXPECT_NE(transport_.SendCommand(command), 0);
        EXPECT_TRUE(transport_.ReceiveResponse(command, raw_, kRoom, timeoutMs, noEndMarker, bar));
        return transport_.ParseResponse(command, raw_, parsed, kRoom);
    }

    std::optional<ScaledClock> clock_;
    TempDir dir_;
    std::unique_ptr<SimulatedDevice> device_;
    Transport transport_;
    std::string raw_;
};

TEST_F(TransportTest, EchoedAnswersAreCutToTheirUsefulText) {
    std::string parsed;
    EXPECT_TRUE(Exchange("AT\r\n", 1000, parsed));
    EXPECT_EQ(raw_.rfind("AT\r\n", 0), 0u) << "the device echoes the command first";
    EXPECT_EQ(parsed, "");

    EXPECT_TRUE(Exchange("AT+CSQ\r\n", 1000, parsed));
    EXPECT_EQ(parsed, "+CSQ: 17,99");
    EXPECT_EQ(device_->ReceivedCommands().back(), "AT+CSQ");
}

TEST_F(TransportTest, AnErrorAnswerIsAFailedVerdict) {
    ASSERT_TRUE(device_->AddFault("error:AT+CGMI"));
    std::string parsed = "old";
    EXPECT_FALSE(Exchange("AT+CGMI\r\n", 1000, parsed));
    EXPECT_TRUE(raw_.ends_with("\r\nERROR\r\n"));
    EXPECT_EQ(parsed, "");
}

TEST_F(TransportTest, AnswersSplitIntoTinyWritesAreCollectedWhole) {
    ASSERT_TRUE(device_->AddFault("split"));
    std::string parsed;
    const Deadline whole(20000);
    EXPECT_TRUE(Exchange("AT+CSQ\r\n", 20000, parsed));
    EXPECT_EQ(parsed, "+CSQ: 17,99");
    EXPECT_FALSE(whole.Passed()) << "the end marker, not the time-out, ended the wait";
}

TEST_F(TransportTest, SilenceEndsAtTheTimeOutAsAnEmptySuccess) {
    UseFastClock(50.0, 200);
    ASSERT_TRUE(device_->AddFault("silent:AT+CSQ"));
    std::string parsed = "old";
    RecordingProgress bar;
    const Deadline wait(3000);
    EXPECT_TRUE(Exchange("AT+CSQ\r\n", 3000, parsed, false, &bar));
    EXPECT_TRUE(wait.Passed());
    EXPECT_EQ(raw_, "");
    EXPECT_EQ(parsed, "");
    EXPECT_GT(bar.Position(), 0) << "waiting without data moves the bar";
}

TEST_F(TransportTest, WithoutEndMarkersTheWaitRunsToItsDeadline) {
    UseFastClock(50.0, 200);
    std::string parsed;
    const Deadline wait(4000);
    EXPECT_TRUE(Exchange("AT\r\n", 4000, parsed, /*noEndMarker=*/true));
    EXPECT_TRUE(wait.Passed());
    EXPECT_TRUE(raw_.ends_with("\r\nOK\r\n"));
}

TEST_F(TransportTest, SleepTouchesNeitherDeviceNorLogAndMovesTheBar) {
    UseFastClock(100.0, 0);
    const std::string log = dir_.File("command.log");
    ASSERT_TRUE(transport_.Log().Open(log));
    const size_t before = device_->ReceivedCommands().size();
    RecordingProgress bar;
    bar.SetPosition(7);
    std::string parsed = "old";
    const Deadline wait(30000);
    EXPECT_TRUE(Exchange("SLEEP", 30000, parsed, false, &bar));
    EXPECT_TRUE(wait.Passed());
    EXPECT_EQ(raw_, "SLEEP");
    EXPECT_EQ(parsed, "");
    EXPECT_GE(bar.Position(), 7 + 90);
    EXPECT_EQ(device_->ReceivedCommands().size(), before);
    transport_.Log().Close();
    // Only the parsed block: the send and the receive leave no trace.
    EXPECT_EQ(test::ReadWholeFile(log).find("COMMAND"), std::string::npos);
    EXPECT_EQ(test::ReadWholeFile(log).find("RAW RESPONSE"), std::string::npos);
}

TEST_F(TransportTest, AnAnswerLongerThanTheBufferIsCutButStillEndsOnItsMarker) {
    const std::string command = "ATI9\r\n";
    ASSERT_NE(transport_.SendCommand(command), 0);
    const Deadline wait(20000);
    ASSERT_TRUE(transport_.ReceiveResponse(command, raw_, 5, 20000, false, nullptr));
    EXPECT_EQ(raw_, "ATI9");
    EXPECT_FALSE(wait.Passed()) << "a full buffer must not hide the end of the answer";
}

TEST_F(TransportTest, TheCommandLogHoldsEveryBlockInOrder) {
    const std::string log = dir_.File("command.log");
    ASSERT_TRUE(transport_.Log().Open(log));
    std::string parsed;
    Exchange("AT+CSQ\r\n", 1000, parsed);
    transport_.Log().Close();
    const std::string text = test::ReadWholeFile(log);
    const size_t command = text.find(" | COMMAND:\r\n");
    const size_t raw = text.find("(Timeout: 1000 ms) | RAW RESPONSE:\r\n");
    const size_t parsedBlock =
        text.find("PARSED RESPONSE:\r\n" + std::string(79, '*') + "\r\n+CSQ: 17,99\r\n");
    ASSERT_NE(command, std::string::npos);
    ASSERT_NE(raw, std::string::npos);
    ASSERT_NE(parsedBlock, std::string::npos);
    EXPECT_LT(command, raw);
    EXPECT_LT(raw, parsedBlock);
    EXPECT_NE(text.find("PARSED RESULT: SUCCESS\r\n"), std::string::npos);
}

TEST_F(TransportTest, GarbageBetweenAnswersIsFlushedBeforeEachCommand) {
    UseFastClock(20.0, 500);
    ASSERT_TRUE(device_->AddFault("garbage"));
    std::string parsed;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(Exchange("AT+CSQ\r\n", 5000, parsed));
        EXPECT_NE(parsed.find("+CSQ: 17,99"), std::string::npos);
    }
}

TEST_F(TransportTest, AFlushEndsEvenWhenTheDeviceNeverStopsTalking) {
    UseFastClock(20.0, 200);
    ASSERT_TRUE(device_->AddFault("chatter-forever"));
    char byte;
    while (transport_.ReadRaw(&byte, 1) == 0) {
    }
    // Without its limit the flush would never return here. (How long it took
    // is no check: on a loaded machine the chatter itself may pause.)
    EXPECT_TRUE(transport_.FlushPort());
    EXPECT_NE(transport_.SendCommand("AT\r\n"), 0);
}

TEST_F(TransportTest, UnplugDuringAWaitWithoutMarkersEndsWhenTheDeviceIsBack) {
    UseFastClock(20.0, 200);
    const std::string command = "AT\r\n";
    ASSERT_NE(transport_.SendCommand(command), 0);
    std::thread restart([this] {
        TheClock().SleepMs(2000);
        device_->Unplug();
        TheClock().SleepMs(3000);
        device_->Plug();
    });
    const Deadline wait(300000);
    EXPECT_TRUE(
        transport_.ReceiveResponse(command, raw_, kRoom, 300000, /*noEndMarker=*/true, nullptr));
    restart.join();
    EXPECT_FALSE(wait.Passed()) << "the port came back, which ends the wait";
    EXPECT_TRUE(transport_.PortIsOpen());
    std::string parsed;
    EXPECT_TRUE(Exchange("AT+CSQ\r\n", 2000, parsed));
    EXPECT_EQ(parsed, "+CSQ: 17,99");
}

TEST_F(TransportTest, ASendWhileTheDeviceIsAwayWaitsForItToComeBack) {
    UseFastClock(50.0, 200);
    device_->Unplug();
    std::thread restart([this] {
        TheClock().SleepMs(5000);
        device_->Plug();
    });
    std::string parsed;
    EXPECT_TRUE(Exchange("AT+CSQ\r\n", 2000, parsed));
    restart.join();
    EXPECT_EQ(parsed, "+CSQ: 17,99");
}

TEST_F(TransportTest, ASendGivesUpAfterOneWindowAndLaterCommandsOfTheBatchFailAtOnce) {
    UseFastClock(200.0, 0);
    device_->Unplug();
    transport_.BeginBatch();
    const uint64_t start = TheClock().NowMs();
    EXPECT_EQ(transport_.SendCommand("AT\r\n"), 0);
    EXPECT_GE(TheClock().NowMs() - start, Transport::kReopenWindowMs)
        << "about a minute of attempts";
    EXPECT_EQ(transport_.State(), LinkState::Lost);
    const Deadline next(100);
    EXPECT_EQ(transport_.SendCommand("AT+CSQ\r\n"), 0);
    EXPECT_FALSE(next.Passed()) << "a lost link fails without another wait";

    // A new batch tries the port again, briefly, and finds a device that is back.
    device_->Plug();
    transport_.BeginBatch();
    EXPECT_EQ(transport_.State(), LinkState::Up);
    std::string parsed;
    EXPECT_TRUE(Exchange("AT+CSQ\r\n", 2000, parsed));
}

// Waiting for more of an answer owes the device nothing: a wait that lasts is
// offered to the user to give up, and a cancel or a Ctrl+C ends it at once,
// long before the deadline a huge listed size gave it.
TEST_F(TransportTest, ALongWaitForAnAnswerEndsOnCancelOrInterruption) {
    UseFastClock(200.0, 300);
    ASSERT_TRUE(device_->AddFault("silent:AT+CSQ"));
    class Watcher : public LinkWatcher {
      public:
        void LinkStateChanged(LinkState, int) override {}
        void LongAnswerWait(bool waiting) override { waiting_ = waiting; }
        std::atomic<bool> waiting_{false};
    };
    const std::pair<const char*, std::function<void()>> ends[] = {
        {"Cancel", [this] { transport_.CancelWait(); }},
        {"Ctrl+C", [] { RequestInterruption(SIGINT); }},
    };
    for (const auto& [name, end] : ends) {
        SCOPED_TRACE(name);
        Watcher watcher;
        transport_.SetWatcher(&watcher);
        transport_.BeginBatch();
        std::thread user([&] {
            while (!watcher.waiting_) std::this_thread::sleep_for(std::chrono::milliseconds(2));
            end();
        });
        const uint64_t start = TheClock().NowMs();
        ASSERT_NE(transport_.SendCommand("AT+CSQ\r\n"), 0);
        EXPECT_TRUE(transport_.ReceiveResponse("AT+CSQ\r\n", raw_, kRoom, 7005000, false, nullptr));
        user.join();
        EXPECT_LT(TheClock().NowMs() - start, 600000u);
        EXPECT_FALSE(watcher.waiting_) << "the end of the wait is told";
        EXPECT_EQ(transport_.State(), LinkState::Up) << "the device is still there";
        transport_.SetWatcher(nullptr);
        ClearInterruption();
    }
}

}  // namespace
}  // namespace merivane
