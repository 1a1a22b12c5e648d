#include "sim/Waiter.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "support/Clock.h"

namespace merivane::sim {

Waiter::Waiter(WakeSignal& wake, std::function<bool()> shouldAbort)
    : wake_(wake), shouldAbort_(std::move(shouldAbort)) {}

Waiter::Result Waiter::WaitFd(int fd, short events, int realMs) {
    if (shouldAbort_()) return Result::Aborted;
    pollfd fds[2] = {{wake_.Fd(), POLLIN, 0}, {fd, events, 0}};
    const nfds_t count = fd >= 0 ? 2 : 1;
    const int rc = poll(fds, count, std::max(0, realMs));
    if (rc < 0) return errno == EINTR ? Result::TimedOut : Result::Aborted;
    if (fds[0].revents & POLLIN) {
        wake_.Drain();
        if (shouldAbort_()) return Result::Aborted;
    }
    if (count == 2 && fds[1].revents != 0) return Result::Ready;
    return Result::TimedOut;
}

bool Waiter::Sleep(uint64_t productMs) {
    Clock& clock = TheClock();
    const uint64_t end = clock.NowMs() + productMs;
    for (;;) {
        const uint64_t now = clock.NowMs();
        if (now >= end) return !shouldAbort_();
        const uint64_t left = std::min<uint64_t>(end - now, 1u << 30);
        const int realMs = std::min(kMaxPollMs, clock.RealMs(static_cast<int>(left)));
        if (WaitFd(-1, 0, realMs) == Result::Aborted) return false;
    }
}

}  // namespace merivane::sim
