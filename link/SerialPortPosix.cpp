#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "link/PortErrorText.h"
#include "link/PortHolder.h"
#include "link/SerialPort.h"
#include "support/Clock.h"

namespace merivane {
namespace {

constexpr speed_t kLineSpeed = B115200;

PortError ErrorFromOpenErrno(int err) {
    switch (err) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR:
            return PortError::NotFound;
        case EACCES:
        case EPERM:
            return PortError::PermissionDenied;
        case EBUSY:
            return PortError::Busy;
        default:
            return PortError::Other;
    }
}

// Real milliseconds left until `deadline` (never negative).
int RemainingMs(uint64_t deadline) {
    const uint64_t now = Clock::RealNowMs();
    return now >= deadline ? 0 : static_cast<int>(deadline - now);
}

// Waits for `events` on `fd` until the real-time `deadline`, going back to
// sleep for the remaining time after a signal. Returns the poll revents, 0 on
// time-out, or -1 on a poll error (errno set).
int PollUntil(int fd, short events, uint64_t deadline) {
    for (;;) {
        pollfd pfd{fd, events, 0};
        const int rc = ::poll(&pfd, 1, RemainingMs(deadline));
        if (rc > 0) return pfd.revents;
        if (rc == 0) return 0;
        if (errno != EINTR) return -1;
    }
}

// Drops our exclusive hold of a terminal we had marked exclusive. On a
// pseudo-terminal the flag would outlive our descriptor and lock out the next
// user of the port.
void ReleaseHeld(int fd, bool exclusiveSet) {
    if (exclusiveSet) ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
    ::close(fd);
}

// Raw 115200 8N1, no software flow control, reads that never block.
// Hardware flow control stays as the driver has it. Returns 0 or an errno.
int ConfigureLine(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return errno;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    // XON/XOFF would swallow the bytes 0x11 and 0x13 of binary transfers.
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, kLineSpeed) != 0 || ::cfsetospeed(&tio, kLineSpeed) != 0) return errno;
    // TCSAFLUSH drops what the device said before we opened it.
    if (::tcsetattr(fd, TCSAFLUSH, &tio) != 0) return errno;

    // tcsetattr succeeds when any part of the request was applied: check the
    // parts the device depends on.
    termios check{};
    if (::tcgetattr(fd, &check) != 0) return errno;
    const tcflag_t frame = CSIZE | PARENB | CSTOPB;
    if ((check.c_cflag & frame) != CS8 || ::cfgetispeed(&check) != kLineSpeed ||
        ::cfgetospeed(&check) != kLineSpeed || (check.c_iflag & (IXON | IXOFF | IXANY)) != 0) {
        return EINVAL;
    }
    return 0;
}

struct Acquired {
    int fd = -1;
    PortError error = PortError::None;
    int sysErrno = 0;
};

// Opens `path` and takes it for us alone: an advisory lock that cooperating
// programs respect, plus the terminal's exclusive flag that keeps every other
// non-root opener out.
Acquired AcquirePort(const std::string& path) {
    Acquired result;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.sysErrno = errno;
        result.error = ErrorFromOpenErrno(result.sysErrno);
        return result;
    }
    if (!::isatty(fd)) {
        result.sysErrno = errno;
        result.error = PortError::NotATerminal;
        ::close(fd);
        return result;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        result.sysErrno = errno;
        result.error = result.sysErrno == EWOULDBLOCK ? PortError::Busy : PortError::Other;
        ::close(fd);
        return result;
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        result.sysErrno = errno;
        result.error = result.sysErrno == EBUSY ? PortError::Busy : PortError::Other;
        ReleaseHeld(fd, false);
        return result;
    }
    // A terminal opens in cooked mode with echo on: whatever the device sent
    // while the port was closed arrives now and would be echoed back to it as
    // input, even during the close of a mere open test. Raw mode, set the
    // moment the port is ours, stops that.
    if (const int configErrno = ConfigureLine(fd); configErrno != 0) {
        result.sysErrno = configErrno;
        result.error = PortError::ConfigFailed;
        ReleaseHeld(fd, true);
        return result;
    }
    result.fd = fd;
    return result;
}

}  // namespace

SerialPort::~SerialPort() { Close(); }

bool SerialPort::IsOpen() const { return fd_ >= 0; }

bool SerialPort::Open(const std::string& path) {
    // Our own lock on a descriptor still held would refuse the new open.
    Close();
    Acquired acquired = AcquirePort(path);
    if (acquired.fd < 0) {
        lastError_ = acquired.error;
        lastErrno_ = acquired.sysErrno;
        return false;
    }
    fd_ = acquired.fd;
    lastError_ = PortError::None;
    lastErrno_ = 0;
    return true;
}

bool SerialPort::CanOpen(const std::string& path, PortError* why, int* sysErrno) {
    // Taking and releasing the port proves it can be had.
    Acquired acquired = AcquirePort(path);
    if (why) *why = acquired.error;
    if (sysErrno) *sysErrno = acquired.sysErrno;
    if (acquired.fd < 0) return false;
    ReleaseHeld(acquired.fd, true);
    return true;
}

void SerialPort::Close() {
    if (fd_ < 0) return;
    ReleaseHeld(fd_, true);
    fd_ = -1;
}

long SerialPort::Read(char* buffer, size_t max, int pollRealMs) {
    if (fd_ < 0) {
        lastErrno_ = EBADF;
        return -1;
    }
    const uint64_t deadline =
        Clock::RealNowMs() + static_cast<uint64_t>(pollRealMs > 0 ? pollRealMs : 0);
    // With no room to read into, wait out the whole poll time and report only
    // a failed line, so a caller that paces itself on Read does not spin.
    const int revents = PollUntil(fd_, max == 0 ? 0 : POLLIN, deadline);
    if (revents < 0) {
        lastErrno_ = errno;
        return -1;
    }
    if (revents == 0) return 0;
    const bool failed = (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    if (!(revents & POLLIN) || max == 0) {
        if (failed) lastErrno_ = EIO;
        return failed ? -1 : 0;
    }
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, max);
        if (n > 0) return static_cast<long>(n);
        if (n == 0) {
            // Readable but nothing to read: the other side is gone.
            lastErrno_ = EIO;
            return -1;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (failed) {
                lastErrno_ = EIO;
                return -1;
            }
            return 0;
        }
        lastErrno_ = errno;
        return -1;
    }
}

long SerialPort::Write(const char* data, size_t size, int timeoutRealMs) {
    if (fd_ < 0) {
        lastErrno_ = EBADF;
        return -1;
    }
    const uint64_t deadline =
        Clock::RealNowMs() + static_cast<uint64_t>(timeoutRealMs > 0 ? timeoutRealMs : 0);
    // A terminal never raises SIGPIPE (a vanished peer shows as EIO), and the
    // port is always a terminal, so plain write() is safe here.
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, data + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            lastErrno_ = errno;
            return -1;
        }
        // No room in the output queue: wait for some until the deadline.
        const int revents = PollUntil(fd_, POLLOUT, deadline);
        if (revents < 0) {
            lastErrno_ = errno;
            return -1;
        }
        if (revents & (POLLHUP | POLLERR | POLLNVAL)) {
            lastErrno_ = EIO;
            return -1;
        }
        if (revents == 0) break;
    }
    return static_cast<long>(done);
}

void SerialPort::Purge() {
    if (fd_ >= 0) ::tcflush(fd_, TCIOFLUSH);
}

std::string PortSystemReason(PortError error, int sysErrno) {
    // A refused lock says nothing more useful than "held by another program".
    if (sysErrno == 0 || (error == PortError::Busy && sysErrno == EWOULDBLOCK)) return {};
    char buf[128];
    // GNU strerror_r returns the text, which may or may not live in buf.
    return ::strerror_r(sysErrno, buf, sizeof buf);
}

std::string PortErrorAdvice(PortError error) {
    if (error != PortError::PermissionDenied) return {};
    return std::string(
               "Add yourself to group dialout (sudo usermod -aG dialout $USER, then log "
               "out and back in), or install Merivane's udev rule ") +
           kUdevRuleFileName +
           ", which lets the user logged in at the desktop open the maker's devices, "
           "then unplug the device and plug it in again";
}

}  // namespace merivane
