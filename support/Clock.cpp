#include "support/Clock.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>

namespace merivane {
namespace {

uint64_t MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

void RealSleepMs(uint64_t ms) {
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>((ms % 1000) * 1000000)};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

RealClock g_realClock;
std::atomic<Clock*> g_clock{&g_realClock};

}  // namespace

uint64_t Clock::RealNowMs() { return MonotonicMs(); }

int64_t Clock::WallSeconds() { return static_cast<int64_t>(time(nullptr)); }

uint64_t RealClock::NowMs() { return MonotonicMs(); }
void RealClock::SleepMs(uint64_t ms) { RealSleepMs(ms); }
int RealClock::RealMs(int ms) { return ms; }

ScaledClock::ScaledClock(double factor, uint64_t receiveFloorMs)
    : factor_(std::max(factor, 1.0)), floorMs_(receiveFloorMs), realStart_(MonotonicMs()) {}

uint64_t ScaledClock::NowMs() {
    // Product time starts at the real time of construction and then runs faster.
    const uint64_t real = MonotonicMs() - realStart_;
    return realStart_ + static_cast<uint64_t>(static_cast<double>(real) * factor_);
}

void ScaledClock::SleepMs(uint64_t ms) {
    if (ms == 0) return;
    RealSleepMs(static_cast<uint64_t>(RealMs(static_cast<int>(std::min<uint64_t>(ms, 1u << 30)))));
}

int ScaledClock::RealMs(int ms) {
    if (ms <= 0) return 0;
    return std::max(1, static_cast<int>(static_cast<double>(ms) / factor_));
}

Clock& TheClock() { return *g_clock.load(); }

void InstallClock(Clock* clock) { g_clock.store(clock ? clock : &g_realClock); }

Deadline::Deadline(uint64_t timeoutMs, bool withReceiveFloor)
    : timeoutMs_(timeoutMs),
      startMs_(TheClock().NowMs()),
      startRealMs_(Clock::RealNowMs()),
      realFloorMs_(withReceiveFloor ? std::min(timeoutMs, TheClock().ReceiveFloorMs()) : 0) {}

bool Deadline::Passed() const {
    if (TheClock().NowMs() <= startMs_ + timeoutMs_) return false;
    return Clock::RealNowMs() - startRealMs_ >= realFloorMs_;
}

uint64_t Deadline::ElapsedMs() const { return TheClock().NowMs() - startMs_; }

uint64_t Deadline::RemainingMs() const {
    const uint64_t elapsed = ElapsedMs();
    return elapsed < timeoutMs_ ? timeoutMs_ - elapsed : 0;
}

}  // namespace merivane
