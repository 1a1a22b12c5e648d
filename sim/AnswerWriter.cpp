#include "sim/AnswerWriter.h"

#include <poll.h>

#include <algorithm>
#include <string>

#include "sim/FaultPlan.h"
#include "sim/PtyEndpoint.h"
#include "sim/TrafficLog.h"
#include "sim/Waiter.h"
#include "support/Clock.h"

namespace merivane::sim {

AnswerWriter::AnswerWriter(PtyEndpoint& endpoint, Waiter& waiter, TrafficLog& log,
                           const FaultPlan& faults)
    : endpoint_(endpoint), waiter_(waiter), log_(log), faults_(faults), random_(0x5eed) {}

bool AnswerWriter::Write(std::string_view bytes) {
    if (!faults_.Has(FaultPlan::Kind::Split)) return WriteWhole(bytes);
    std::uniform_int_distribution<size_t> size(1, 7);
    while (!bytes.empty()) {
        const size_t n = std::min(size(random_), bytes.size());
        if (!WriteWhole(bytes.substr(0, n))) return false;
        bytes.remove_prefix(n);
        if (!bytes.empty() && !waiter_.Sleep(kSplitPauseMs)) return false;
    }
    return true;
}

bool AnswerWriter::WriteWhole(std::string_view bytes) {
    Deadline stall(kStallMs, true);
    while (!bytes.empty()) {
        const long n = endpoint_.Write(bytes.data(), bytes.size());
        if (n < 0) return false;
        if (n > 0) {
            lastWriteRealMs_ = Clock::RealNowMs();
            log_.Sent(bytes.substr(0, static_cast<size_t>(n)));
            bytes.remove_prefix(static_cast<size_t>(n));
            stall = Deadline(kStallMs, true);
            continue;
        }
        if (stall.Passed()) {
            log_.Note("the tool stopped reading; rest of the answer dropped");
            return false;
        }
        if (waiter_.WaitFd(endpoint_.MasterFd(), POLLOUT, Waiter::kMaxPollMs) ==
            Waiter::Result::Aborted) {
            return false;
        }
    }
    return true;
}

void AnswerWriter::WriteIfRoom(std::string_view bytes) {
    pollfd fd{endpoint_.MasterFd(), POLLOUT, 0};
    if (poll(&fd, 1, 0) != 1 || !(fd.revents & POLLOUT)) return;
    // A pseudo-terminal that says "writable" takes at least a line of this size.
    const long n = endpoint_.Write(bytes.data(), bytes.size());
    if (n > 0) {
        lastWriteRealMs_ = Clock::RealNowMs();
        log_.Sent(bytes.substr(0, static_cast<size_t>(n)));
    }
}

bool AnswerWriter::AllReadByPeer() const {
    return Clock::RealNowMs() - lastWriteRealMs_ >= kSettleRealMs && endpoint_.UnreadByPeer() == 0;
}

std::string AnswerWriter::Garbage(size_t count) {
    std::uniform_int_distribution<int> byte(1, 255);
    std::string out;
    while (out.size() < count) {
        const int c = byte(random_);
        if (c != '\r' && c != '\n') out += static_cast<char>(c);
    }
    return out;
}

}  // namespace merivane::sim
