#include "sim/WakeSignal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace merivane::sim {

WakeSignal::WakeSignal() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeSignal::~WakeSignal() {
    if (fd_ >= 0) close(fd_);
}

void WakeSignal::Notify() {
    const uint64_t one = 1;
    if (fd_ >= 0) {
        [[maybe_unused]] ssize_t n = write(fd_, &one, sizeof one);
    }
}

void WakeSignal::Drain() {
    uint64_t value = 0;
    if (fd_ >= 0) {
        [[maybe_unused]] ssize_t n = read(fd_, &value, sizeof value);
    }
}

}  // namespace merivane::sim
