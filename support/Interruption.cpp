#include "support/Interruption.h"

#include <atomic>

namespace merivane {
namespace {

std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

}  // namespace

void RequestInterruption() { g_interrupted.store(true); }

bool InterruptionRequested() { return g_interrupted.load(); }

void ClearInterruption() { g_interrupted.store(false); }

}  // namespace merivane
