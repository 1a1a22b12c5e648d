#include "support/Interruption.h"

#include <atomic>

namespace merivane {
namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<int> g_signal{0};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

}  // namespace

void RequestInterruption(int signal) {
    if (signal != 0) g_signal.store(signal);
    g_interrupted.store(true);
}

int InterruptionSignal() { return g_signal.load(); }

bool InterruptionRequested() { return g_interrupted.load(); }

void ClearInterruption() {
    g_interrupted.store(false);
    g_signal.store(0);
}

}  // namespace merivane
