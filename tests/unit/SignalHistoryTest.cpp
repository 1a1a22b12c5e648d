#include <gtest/gtest.h>

#include "ops/SignalHistory.h"

namespace merivane {
namespace {

TEST(SignalHistoryTest, CsqBecomesDbmAndRegistrationBecomesWords) {
    const std::pair<int, std::optional<int>> dbm[] = {
        {0, -113},          {1, -111},          {17, -79},         {31, -51},
        {99, std::nullopt}, {32, std::nullopt}, {-1, std::nullopt}};
    for (const auto& [csq, expected] : dbm) EXPECT_EQ(CsqToDbm(csq), expected) << csq;
    const std::pair<int, std::string> words[] = {
        {0, "not registered"}, {1, "registered home"}, {2, "searching"}, {3, "denied"},
        {4, "unknown"},        {5, "roaming"},         {7, "unknown"}};
    for (const auto& [registration, text] : words)
        EXPECT_EQ(RegistrationText(registration), text) << registration;
}

TEST(SignalHistoryTest, TenMinutesOfTwoSecondSamplesAreKeptAndTheOldestDropped) {
    SignalHistory history;
    const int64_t start = 1'700'000'000'000;
    for (int i = 0; i < 400; ++i) history.Add({start + i * 2000, i % 32, 1});
    ASSERT_EQ(history.Samples().size(), 300u);
    EXPECT_EQ(history.Samples().front().timeMs, start + 100 * 2000);
    EXPECT_EQ(history.Samples().back().timeMs, start + 399 * 2000);
    EXPECT_EQ(history.MinDbm(), -113);
    EXPECT_EQ(history.MaxDbm(), -51);

    SignalHistory unknown;
    unknown.Add({start, 99, 2});
    EXPECT_EQ(unknown.MinDbm(), std::nullopt) << "an unknown signal has no dBm";
}

TEST(SignalHistoryTest, CsvHasOneLineASampleInUtcWithUnknownDbmLeftEmpty) {
    SignalHistory history;
    history.Add({1'765'194'693'000, 17, 1});
    history.Add({1'765'194'695'000, 99, 2});
    EXPECT_EQ(SignalCsv(history.Samples()),
              "time,csq,dbm,registration\r\n"
              "2025-12-08T11:51:33Z,17,-79,registered home\r\n"
              "2025-12-08T11:51:35Z,99,,searching\r\n");
}

}  // namespace
}  // namespace merivane
