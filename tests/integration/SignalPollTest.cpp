// The signal monitor's polls against the simulator: they never come between a
// batch's commands, they go on after it, and a vanished device stops them at
// once instead of starting the minute-long wait.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/BatchExecutor.h"
#include "app/Identification.h"
#include "app/Product.h"
#include "ops/SignalPoll.h"
#include "settings/DocumentStore.h"
#include "support/Clock.h"
#include "support/SimFixture.h"

namespace merivane {
namespace {

class SignalPollTest : public test::SimFixture {
  protected:
    ScaledClock clock_{50.0, 1500};
    ScopedClock installed_{clock_};
};

TEST_F(SignalPollTest, PollsNeverInterleaveWithABatchAndGoOnAfterIt) {
    std::atomic<bool> stop{false};
    std::atomic<int> sampled{0};
    std::atomic<int> skipped{0};
    std::thread poller([&] {
        while (!stop) {
            const SignalPoll poll = PollSignal(transport_, false);
            (poll.outcome == PollOutcome::Sampled ? sampled : skipped)++;
            TheClock().SleepMs(100);
        }
    });
    HeadlessExecutor executor(transport_);
    DeviceIdentity identity;
    DocumentStore documents;
    while (sampled == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    device_->ClearReceivedCommands();
    ASSERT_TRUE(IdentifyDevice(transport_, executor, kBrivel, identity, documents));
    const int afterBatch = sampled;
    while (sampled < afterBatch + 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stop = true;
    poller.join();
    EXPECT_GT(skipped, 0) << "polls met the batch and skipped their turn";

    // The identification commands arrive as one run; polls only before or after it.
    const std::vector<std::string> received = device_->ReceivedCommands();
    const auto first = std::find(received.begin(), received.end(), "AT");
    ASSERT_NE(first, received.end());
    const CommandList batch = IdentificationCommands(kBrivel);
    for (size_t i = 0; i < batch.size(); ++i) {
        std::string expected = batch[i].command;
        while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r'))
            expected.pop_back();
        ASSERT_LT(first + static_cast<long>(i), received.end());
        EXPECT_EQ(first[static_cast<long>(i)], expected) << "position " << i;
    }
}

TEST_F(SignalPollTest, AVanishedDeviceStopsPollingAtOnce) {
    const SignalPoll before = PollSignal(transport_, true);
    ASSERT_EQ(before.outcome, PollOutcome::Sampled);
    EXPECT_EQ(before.sample.csq, 17);
    EXPECT_EQ(before.sample.registration, 1);
    ASSERT_TRUE(before.stateAnswer.has_value());

    device_->Unplug();
    const uint64_t start = TheClock().NowMs();
    EXPECT_EQ(PollSignal(transport_, false).outcome, PollOutcome::LinkLost);
    EXPECT_LT(TheClock().NowMs() - start, 5000u) << "no wait for the device to come back";
    EXPECT_EQ(transport_.State(), LinkState::Lost);
    EXPECT_EQ(PollSignal(transport_, false).outcome, PollOutcome::LinkLost);
}

}  // namespace
}  // namespace merivane
