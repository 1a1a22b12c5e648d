#pragma once

#include <cstdint>
#include <functional>

#include "sim/WakeSignal.h"

namespace merivane::sim {

// The device thread's waits: on a descriptor, or for a stretch of product
// time. Every wait also watches the wake signal, so a stop or a plug request
// from another thread ends it at once; `shouldAbort` says whether such a wake
// means giving up (true) or waiting on.
class Waiter {
  public:
    enum class Result { Ready, TimedOut, Aborted };

    Waiter(WakeSignal& wake, std::function<bool()> shouldAbort);

    // Waits up to `realMs` real milliseconds for `events` on `fd` (fd < 0:
    // only the wake signal and the time).
    Result WaitFd(int fd, short events, int realMs);
    // Pauses `productMs` on the installed clock. False when aborted.
    bool Sleep(uint64_t productMs);
    bool ShouldAbort() const { return shouldAbort_(); }

    // Longest single poll, so that a changed clock or a lost wake-up costs little.
    static constexpr int kMaxPollMs = 50;

  private:
    WakeSignal& wake_;
    std::function<bool()> shouldAbort_;
};

}  // namespace merivane::sim
