#include <gtest/gtest.h>

#include "support/Clock.h"

namespace merivane {
namespace {

TEST(ClockTest, ScaledClockRunsFasterButNeverWaitsZeroForAPositiveWait) {
    ScaledClock clock(100.0, 0);
    EXPECT_EQ(clock.RealMs(30000), 300);
    EXPECT_EQ(clock.RealMs(10), 1);
    EXPECT_EQ(clock.RealMs(0), 0);
    const uint64_t before = clock.NowMs();
    clock.SleepMs(5000);  // 50 ms real
    EXPECT_GE(clock.NowMs() - before, 5000u);
}

TEST(ClockTest, ReceiveDeadlineKeepsItsRealTimeFloor) {
    ScaledClock clock(1000.0, 200);
    ScopedClock installed(clock);
    Deadline plain(1000);
    Deadline receive(1000, /*withReceiveFloor=*/true);
    clock.SleepMs(2000);  // 2 ms real: product time has passed both
    EXPECT_TRUE(plain.Passed());
    EXPECT_FALSE(receive.Passed());  // the device still has its real 200 ms
    while (!receive.Passed()) clock.SleepMs(10000);
    EXPECT_GE(receive.ElapsedMs(), 1000u);
}

TEST(ClockTest, FloorNeverLengthensAShortTimeout) {
    ScaledClock clock(1000.0, 5000);
    ScopedClock installed(clock);
    Deadline zero(0, /*withReceiveFloor=*/true);
    clock.SleepMs(1000);
    EXPECT_TRUE(zero.Passed());
}

TEST(ClockTest, InstalledClockIsRestoredToRealTime) {
    {
        ScaledClock clock(10.0);
        ScopedClock installed(clock);
        EXPECT_EQ(&TheClock(), &clock);
    }
    EXPECT_EQ(TheClock().RealMs(100), 100);
}

}  // namespace
}  // namespace merivane
