#include "sim/PtyEndpoint.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <utility>

namespace merivane::sim {
namespace {

std::atomic<unsigned> g_linkSerial{0};

void SetFlag(int fd, int getCmd, int setCmd, int flag) {
    const int flags = fcntl(fd, getCmd);
    if (flags >= 0) fcntl(fd, setCmd, flags | flag);
}

std::string ReadLinkTarget(const std::string& path) {
    char target[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    if (n < 0) return {};
    return std::string(target, static_cast<size_t>(n));
}

}  // namespace

PtyEndpoint::PtyEndpoint(std::string linkPath, std::string ttyPath)
    : linkPath_(std::move(linkPath)), ttyPath_(std::move(ttyPath)) {}

PtyEndpoint::~PtyEndpoint() { Close(); }

bool PtyEndpoint::Open() {
    Close();
    if (ServesTty()) return OpenTty();
    int master = -1;
    int slave = -1;
    char name[PATH_MAX] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return false;

    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tcsetattr(slave, TCSANOW, &tio);
    }
    SetFlag(master, F_GETFL, F_SETFL, O_NONBLOCK);
    SetFlag(master, F_GETFD, F_SETFD, FD_CLOEXEC);
    SetFlag(slave, F_GETFD, F_SETFD, FD_CLOEXEC);

    master_ = master;
    slave_ = slave;
    slavePath_ = name;
    if (!PublishLink()) {
        Close();
        return false;
    }
    return true;
}

bool PtyEndpoint::OpenTty() {
    const int fd = open(ttyPath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    // Raw before anything is read: a cooked line would echo the host's commands back to it.
    termios tio{};
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tcsetattr(fd, TCSAFLUSH, &tio);
    }
    master_ = fd;
    slavePath_ = ttyPath_;
    return true;
}

bool PtyEndpoint::PublishLink() {
    const std::string temp = linkPath_ + ".new." + std::to_string(getpid()) + "." +
                             std::to_string(g_linkSerial.fetch_add(1));
    unlink(temp.c_str());
    if (symlink(slavePath_.c_str(), temp.c_str()) != 0) return false;
    if (rename(temp.c_str(), linkPath_.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}

void PtyEndpoint::Close() {
    if (master_ < 0) return;
    // Only our own link goes: another device may have published over it since.
    if (!ServesTty() && ReadLinkTarget(linkPath_) == slavePath_) unlink(linkPath_.c_str());
    close(master_);
    if (slave_ >= 0) close(slave_);
    master_ = -1;
    slave_ = -1;
    slavePath_.clear();
}

long PtyEndpoint::Read(char* buffer, size_t max) {
    if (master_ < 0) return -1;
    for (;;) {
        const ssize_t n = read(master_, buffer, max);
        if (n > 0) return static_cast<long>(n);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
        return -1;
    }
}

long PtyEndpoint::Write(const char* data, size_t size) {
    if (master_ < 0) return -1;
    if (size == 0) return 0;
    for (;;) {
        const ssize_t n = write(master_, data, size);
        if (n >= 0) return static_cast<long>(n);
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        return -1;
    }
}

size_t PtyEndpoint::UnreadByPeer() const {
    int pending = 0;
    // A terminal of our own tells only what is still in its output queue.
    if (ServesTty()) {
        if (master_ < 0 || ioctl(master_, TIOCOUTQ, &pending) != 0 || pending < 0) return 0;
        return static_cast<size_t>(pending);
    }
    if (slave_ < 0) return 0;
    if (ioctl(slave_, FIONREAD, &pending) != 0 || pending < 0) return 0;
    return static_cast<size_t>(pending);
}

}  // namespace merivane::sim
