#pragma once

#include <cstdint>
#include <random>
#include <string_view>

namespace merivane::sim {

class FaultPlan;
class PtyEndpoint;
class TrafficLog;
class Waiter;

// Puts the device's output on the line: waits for room when the tool reads
// slowly, cuts writes into 1 to 7 bytes with small pauses under the "split"
// fault, and gives up on a line that takes nothing for a long stretch.
class AnswerWriter {
  public:
    AnswerWriter(PtyEndpoint& endpoint, Waiter& waiter, TrafficLog& log, const FaultPlan& faults);

    // Writes all of `bytes`. False when the write was aborted, the line
    // failed, or the tool took nothing for kStallMs.
    bool Write(std::string_view bytes);
    // Writes `bytes` only if there is room now, whole or not at all (console
    // lines nobody reads are dropped, not queued).
    void WriteIfRoom(std::string_view bytes);
    // Random bytes for the "garbage" fault (no line ends, no NUL).
    std::string Garbage(size_t count);
    // True once everything written has reached the tool. Bytes written to a
    // pseudo-terminal reach the other side's queue a moment later, so an
    // empty queue counts only some time after the last write.
    bool AllReadByPeer() const;

    // Real milliseconds after a write before the other side's queue tells the truth.
    static constexpr uint64_t kSettleRealMs = 10;

    // Product milliseconds without progress after which an answer is given up.
    static constexpr uint64_t kStallMs = 10000;
    // Pause between the small writes of a split answer (product milliseconds).
    static constexpr uint64_t kSplitPauseMs = 1;

  private:
    bool WriteWhole(std::string_view bytes);

    PtyEndpoint& endpoint_;
    Waiter& waiter_;
    TrafficLog& log_;
    const FaultPlan& faults_;
    std::mt19937 random_;
    uint64_t lastWriteRealMs_ = 0;
};

}  // namespace merivane::sim
