#pragma once

#include <cstdint>

namespace merivane {

// The one timing facility of the program. Every wait, pause and time-out goes
// through the installed clock, so tests can run the long waits of the product
// (settle pauses, firmware waits) many times faster without touching the
// constants in the code.
class Clock {
  public:
    virtual ~Clock() = default;

    // Monotonic milliseconds on the product's time line.
    virtual uint64_t NowMs() = 0;
    // Pauses for ms milliseconds of product time.
    virtual void SleepMs(uint64_t ms) = 0;
    // How many real milliseconds a wait of ms product milliseconds lasts
    // (at least 1 when ms > 0).
    virtual int RealMs(int ms) = 0;
    // Monotonic real milliseconds, whatever the scale.
    static uint64_t RealNowMs();
    // Seconds since 1970 (UTC), for the command log.
    static int64_t WallSeconds();
    // The least real time a receive deadline leaves a device to answer.
    virtual uint64_t ReceiveFloorMs() const { return 0; }
};

// Real time: product milliseconds are real milliseconds.
class RealClock : public Clock {
  public:
    uint64_t NowMs() override;
    void SleepMs(uint64_t ms) override;
    int RealMs(int ms) override;
};

// Product time runs `factor` times faster than real time. A receive deadline
// still lasts at least `receiveFloorMs` real milliseconds (or its own length,
// if that is shorter), so a device on a loaded machine has time to answer.
class ScaledClock : public Clock {
  public:
    explicit ScaledClock(double factor, uint64_t receiveFloorMs = 1500);
    uint64_t NowMs() override;
    void SleepMs(uint64_t ms) override;
    int RealMs(int ms) override;
    uint64_t ReceiveFloorMs() const override { return floorMs_; }
    double Factor() const { return factor_; }

  private:
    double factor_;
    uint64_t floorMs_;
    uint64_t realStart_;
};

// The process-wide clock (a RealClock unless one was installed).
Clock& TheClock();
// Installs a clock for the whole process; nullptr goes back to real time.
// Install before any thread that uses the clock starts.
void InstallClock(Clock* clock);

// Installs a clock for a scope (tests).
class ScopedClock {
  public:
    explicit ScopedClock(Clock& clock) { InstallClock(&clock); }
    ~ScopedClock() { InstallClock(nullptr); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};

// A time-out measured from its creation on the installed clock. It has
// passed when the product time is past start + timeout and, for receive
// deadlines, the clock's real-time floor has passed too.
class Deadline {
  public:
    Deadline(uint64_t timeoutMs, bool withReceiveFloor = false);
    bool Passed() const;
    uint64_t ElapsedMs() const;
    // Product milliseconds until start + timeout (0 once that has passed).
    uint64_t RemainingMs() const;

  private:
    uint64_t timeoutMs_;
    uint64_t startMs_;
    uint64_t startRealMs_;
    uint64_t realFloorMs_;
};

}  // namespace merivane
