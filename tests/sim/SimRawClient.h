#pragma once

// A bare terminal client for simulator tests: opens the published link in raw
// mode and exchanges bytes without any of the tool's transport logic.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>

namespace merivane::sim::testing {

class RawClient {
  public:
    explicit RawClient(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) return;
        termios tio{};
        if (tcgetattr(fd_, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~RawClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool IsOpen() const { return fd_ >= 0; }

    bool Send(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR) {
                    pollfd pfd{fd_, POLLOUT, 0};
                    ::poll(&pfd, 1, 100);
                    continue;
                }
                return false;
            }
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    // Reads until the collected text ends with `end` (or contains it, when
    // `anywhere`), the line fails, or `realMs` pass. Returns what came.
    std::string ReadUntil(std::string_view end, int realMs = 5000, bool anywhere = false) {
        std::string got;
        const auto stop = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
        while (std::chrono::steady_clock::now() < stop) {
            if (anywhere ? got.find(end) != std::string::npos : got.ends_with(end)) break;
            pollfd pfd{fd_, POLLIN, 0};
            if (::poll(&pfd, 1, 20) <= 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0) {
                got.append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                failed_ = true;
                break;
            }
        }
        return got;
    }

    // Everything that arrives within `realMs`.
    std::string ReadFor(int realMs) {
        return ReadUntil(std::string_view("\x01\x02\x03never"), realMs, true);
    }

    bool Failed() const { return failed_; }

  private:
    int fd_ = -1;
    bool failed_ = false;
};

}  // namespace merivane::sim::testing
