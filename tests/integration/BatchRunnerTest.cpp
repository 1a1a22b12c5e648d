#include <gtest/gtest.h>

#include "link/BatchRunner.h"
#include "support/RecordingProgress.h"
#include "support/SimFixture.h"

namespace merivane {
namespace {

using test::RecordingProgress;

class BatchRunnerTest : public test::SimFixture {};

TEST_F(BatchRunnerTest, AnEmptyBatchSendsNothingAndHasNoProgressRange) {
    CommandList list;
    RecordingProgress bar;
    RunBatch(transport_, list, &bar);
    EXPECT_EQ(bar.High(), 0);
    EXPECT_TRUE(device_->ReceivedCommands().empty());
}

TEST_F(BatchRunnerTest, AnEmptyCommandEndsTheBatchAndTheProgressRange) {
    CommandList list = {{"AT+CSQ\r\n", "one", 1000}, {}, {"AT+CGSN\r\n", "three", 5000}};
    list[2].result = "untouched";
    RecordingProgress bar;
    RunBatch(transport_, list, &bar);
    EXPECT_EQ(bar.High(), 10);
    EXPECT_EQ(list[0].result, "+CSQ: 17,99");
    EXPECT_EQ(list[0].failed, 0);
    EXPECT_EQ(list[2].result, "untouched");
    EXPECT_EQ(device_->ReceivedCommands(), std::vector<std::string>{"AT+CSQ"});
}

TEST_F(BatchRunnerTest, EachCommandGetsItsOwnVerdictAndTheBatchGoesOn) {
    ASSERT_TRUE(device_->AddFault("error:AT+CGMI"));
    CommandList list = {
        {"AT+CGMI\r\n", "maker", 1000}, {"SLEEP", "pause", 100}, {"AT\r\n", "presence", 1000}};
    RunBatch(transport_, list);
    EXPECT_EQ(list[0].failed, 1);
    EXPECT_EQ(list[1].failed, 0);
    EXPECT_EQ(list[1].result, "");
    EXPECT_EQ(list[2].failed, 0);
    EXPECT_EQ(device_->ReceivedCommands(), (std::vector<std::string>{"AT+CGMI", "AT"}));
}

TEST_F(BatchRunnerTest, TheFirmwareApplyRangeAndStepsFollowTheTimeouts) {
    CommandList list = {
        {"at&usbinterface=110\r\n", "", 300000}, {"at\r\n", "", 1000}, {"x", "", 40000}};
    RecordingProgress bar;
    PrepareBatchProgress(list, &bar);
    EXPECT_EQ(bar.High(), 3410);
}

class BatchRunnerStepsTest : public test::SimFixture {};

struct StepRecorder : BatchObserver {
    std::vector<std::pair<size_t, std::string>> steps;
    void ShowStep(size_t position, const std::string& message) override {
        steps.emplace_back(position, message);
    }
};

TEST_F(BatchRunnerStepsTest, TheObserverHearsEachCommandBeforeItRuns) {
    CommandList list = {{"AT\r\n", "first", 1000}, {"AT+CSQ\r\n", "second", 1000}};
    StepRecorder recorder;
    RunCommands(transport_, list, nullptr, &recorder);
    ASSERT_EQ(recorder.steps.size(), 2u);
    EXPECT_EQ(recorder.steps[0], (std::pair<size_t, std::string>{0, "first"}));
    EXPECT_EQ(recorder.steps[1], (std::pair<size_t, std::string>{1, "second"}));
}

TEST_F(BatchRunnerStepsTest, RunningTheSameListAgainGivesAFreshBatch) {
    CommandList list = {{"AT+CSQ\r\n", "", 1000}};
    RecordingProgress bar;
    RunBatch(transport_, list, &bar);
    const int firstEnd = bar.Position();
    list = {{"AT\r\n", "", 2000}};
    RunBatch(transport_, list, &bar);
    EXPECT_EQ(bar.High(), 20);
    EXPECT_LE(bar.Position(), firstEnd + 30);
    EXPECT_EQ(list[0].failed, 0);
}

}  // namespace
}  // namespace merivane
