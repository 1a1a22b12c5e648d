#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/SerialPort.h"

namespace merivane {
namespace {

// Generous waits for data that is already on its way; the tests never
// measure how long anything took.
constexpr int kArrivalMs = 2000;
constexpr int kReadStepMs = 100;

// A pseudo-terminal standing in for the device: the test talks on the master,
// the port under test opens the slave by its path.
class PtyDevice {
  public:
    PtyDevice() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0) path_ = name;
        if (master_ >= 0) ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~PtyDevice() {
        CloseMaster();
        if (slave_ >= 0) ::close(slave_);
    }
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    bool Ok() const { return master_ >= 0 && slave_ >= 0 && !path_.empty(); }
    const std::string& Path() const { return path_; }
    int Slave() const { return slave_; }

    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    bool Send(const std::string& bytes) {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Collects what the port sent until `count` bytes came or the line stays
    // quiet for a while.
    std::string Receive(size_t count) {
        std::string got;
        while (got.size() < count) {
            pollfd pfd{master_, POLLIN, 0};
            if (::poll(&pfd, 1, kArrivalMs) <= 0) break;
            char buf[4096];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<size_t>(n));
        }
        return got;
    }

    // True when the port's side has something waiting to be read.
    bool SlaveReadable() {
        pollfd pfd{slave_, POLLIN, 0};
        return ::poll(&pfd, 1, kArrivalMs) == 1 && (pfd.revents & POLLIN);
    }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

std::string ReadFromPort(SerialPort& port, size_t count) {
    std::string got;
    for (int step = 0; step < kArrivalMs / kReadStepMs && got.size() < count; ++step) {
        char buf[4096];
        const long n = port.Read(buf, sizeof buf, kReadStepMs);
        if (n < 0) break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

// Every byte value, including XON/XOFF and the line ends that a cooked
// terminal would translate.
std::string AllByteValues() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    return bytes;
}

class SerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(device.Ok()) << "no pseudo-terminal available"; }
    PtyDevice device;
};

TEST_F(SerialPortTest, OpenSetsRawLineWhateverWasThereBefore) {
    termios before{};
    ASSERT_EQ(::tcgetattr(device.Slave(), &before), 0);
    before.c_cflag = (before.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
    before.c_iflag |= IXON | IXOFF | IXANY | ICRNL;
    before.c_lflag |= ECHO | ICANON | ISIG;
    before.c_oflag |= OPOST | ONLCR;
    ::cfsetispeed(&before, B9600);
    ::cfsetospeed(&before, B9600);
    ASSERT_EQ(::tcsetattr(device.Slave(), TCSANOW, &before), 0);
    ASSERT_EQ(::tcgetattr(device.Slave(), &before), 0);

    SerialPort port;
    ASSERT_TRUE(port.Open(device.Path())) << DescribePortError(port.LastError(), port.LastErrno());
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.LastError(), PortError::None);

    termios tio{};
    ASSERT_EQ(::tcgetattr(device.Slave(), &tio), 0);
    EXPECT_EQ(::cfgetispeed(&tio), B115200);
    EXPECT_EQ(::cfgetospeed(&tio), B115200);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_cflag & CRTSCTS, before.c_cflag & CRTSCTS) << "hardware flow control changed";
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY | ICRNL), 0u);
    EXPECT_EQ(tio.c_lflag & (ECHO | ICANON | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
}

TEST_F(SerialPortTest, PortIsHeldExclusivelyUntilClosed) {
    SerialPort first;
    ASSERT_TRUE(first.Open(device.Path()));

    SerialPort second;
    EXPECT_FALSE(second.Open(device.Path()));
    EXPECT_EQ(second.LastError(), PortError::Busy);
    EXPECT_FALSE(second.IsOpen());

    PortError why = PortError::None;
    EXPECT_FALSE(SerialPort::CanOpen(device.Path(), &why));
    EXPECT_EQ(why, PortError::Busy);

    // Opening again through the holder itself gives the port up first.
    EXPECT_TRUE(first.Open(device.Path()));

    first.Close();
    EXPECT_FALSE(first.IsOpen());
    first.Close();  // harmless when closed
    EXPECT_TRUE(second.Open(device.Path()));
}

// Free for the next opener, and no longer in cooked mode, whose echo would send
// the device's own output back to it at that open.
TEST_F(SerialPortTest, CanOpenLeavesThePortFreeAndRaw) {
    PortError why = PortError::Other;
    int sysErrno = -1;
    EXPECT_TRUE(SerialPort::CanOpen(device.Path(), &why, &sysErrno));
    EXPECT_EQ(why, PortError::None);
    EXPECT_EQ(sysErrno, 0);
    termios tio{};
    ASSERT_EQ(::tcgetattr(device.Slave(), &tio), 0);
    EXPECT_EQ(tio.c_lflag & (ECHO | ICANON), 0u);

    SerialPort port;
    EXPECT_TRUE(port.Open(device.Path()));
}

TEST_F(SerialPortTest, BytesPassUnchangedBothWays) {
    SerialPort port;
    ASSERT_TRUE(port.Open(device.Path()));
    const std::string bytes = AllByteValues();

    ASSERT_TRUE(device.Send(bytes));
    EXPECT_EQ(ReadFromPort(port, bytes.size()), bytes);

    EXPECT_EQ(port.Write(bytes.data(), bytes.size(), kArrivalMs), static_cast<long>(bytes.size()));
    EXPECT_EQ(device.Receive(bytes.size()), bytes);
}

TEST_F(SerialPortTest, SilentLineReadsNothing) {
    SerialPort port;
    ASSERT_TRUE(port.Open(device.Path()));
    char buf[16];
    EXPECT_EQ(port.Read(buf, sizeof buf, 20), 0);
    EXPECT_EQ(port.Read(buf, 0, 20), 0);
    EXPECT_EQ(port.Read(buf, sizeof buf, 0), 0);
}

TEST_F(SerialPortTest, ReadWithoutRoomLeavesDataWaiting) {
    SerialPort port;
    ASSERT_TRUE(port.Open(device.Path()));
    ASSERT_TRUE(device.Send("OK\r\n"));
    ASSERT_TRUE(device.SlaveReadable());
    char buf[16];
    EXPECT_EQ(port.Read(buf, 0, 10), 0);
    EXPECT_EQ(ReadFromPort(port, 4), "OK\r\n");
}

TEST_F(SerialPortTest, HangUpFailsReadsAndWrites) {
    SerialPort port;
    ASSERT_TRUE(port.Open(device.Path()));
    device.CloseMaster();
    char buf[16];
    EXPECT_EQ(port.Read(buf, sizeof buf, kReadStepMs), -1);
    EXPECT_EQ(port.Read(buf, 0, kReadStepMs), -1);
    EXPECT_EQ(port.Write("AT\r\n", 4, kReadStepMs), -1);
}

TEST_F(SerialPortTest, ClosedPortFailsReadsAndWrites) {
    SerialPort port;
    char buf[16];
    EXPECT_EQ(port.Read(buf, sizeof buf, 10), -1);
    EXPECT_EQ(port.Write("AT\r\n", 4, 10), -1);
    port.Purge();  // harmless when closed
}

TEST_F(SerialPortTest, PurgeDropsPendingInput) {
    SerialPort port;
    ASSERT_TRUE(port.Open(device.Path()));
    ASSERT_TRUE(device.Send("stale answer\r\n"));
    ASSERT_TRUE(device.SlaveReadable());
    port.Purge();
    char buf[64];
    EXPECT_EQ(port.Read(buf, sizeof buf, 20), 0);

    ASSERT_TRUE(device.Send("fresh"));
    EXPECT_EQ(ReadFromPort(port, 5), "fresh");
}

TEST_F(SerialPortTest, WriteStopsAtDeadlineWhenNobodyReads) {
    SerialPort port;
    ASSERT_TRUE(port.Open(device.Path()));
    // Far more than a pseudo-terminal buffers; the master never reads it.
    const std::string big(8 * 1024 * 1024, 'x');
    const long written = port.Write(big.data(), big.size(), 50);
    EXPECT_GT(written, 0);
    EXPECT_LT(written, static_cast<long>(big.size()));
    EXPECT_TRUE(port.IsOpen());
}

TEST(SerialPortOpenFailure, TellsWhy) {
    char fileName[] = "/tmp/merivane-serial-XXXXXX";
    const int fileFd = ::mkstemp(fileName);
    ASSERT_GE(fileFd, 0);
    ::close(fileFd);

    struct Case {
        std::string path;
        PortError error;
    };
    const Case cases[] = {
        {"/dev/merivane-no-such-port", PortError::NotFound},
        {"/tmp/merivane-no-such-dir/ttyACM0", PortError::NotFound},
        {fileName, PortError::NotATerminal},
        {"/dev/null", PortError::NotATerminal},
        {"", PortError::NotFound},
    };
    PtyDevice device;
    ASSERT_TRUE(device.Ok());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        SerialPort port;
        ASSERT_TRUE(port.Open(device.Path()));
        // A failed open leaves nothing open, not even the port held before.
        EXPECT_FALSE(port.Open(c.path));
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.LastError(), c.error);
        EXPECT_FALSE(DescribePortError(port.LastError(), port.LastErrno()).empty());

        PortError why = PortError::None;
        EXPECT_FALSE(SerialPort::CanOpen(c.path, &why));
        EXPECT_EQ(why, c.error);

        SerialPort other;
        EXPECT_TRUE(other.Open(device.Path()));
    }
    ::unlink(fileName);
}

// Runs `check` in a child process that has become user and group 65534
// (nobody). Returns 0 when the check held, 1 when not, kCannotDrop when the
// switch is impossible here, -1 when the child could not be run.
constexpr int kCannotDrop = 100;

template <typename Check>
int RunAsNobody(Check check) {
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        const uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0) {
            ::_exit(kCannotDrop);
        }
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST(SerialPortOpenFailure, UnprivilegedUserIsDenied) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch to an unprivileged user";
    PtyDevice device;
    ASSERT_TRUE(device.Ok());
    ASSERT_EQ(::chown(device.Path().c_str(), 0, 0), 0);
    ASSERT_EQ(::chmod(device.Path().c_str(), 0600), 0);

    const int verdict = RunAsNobody([&] {
        SerialPort port;
        const bool opened = port.Open(device.Path());
        PortError why = PortError::None;
        const bool canOpen = SerialPort::CanOpen(device.Path(), &why);
        return !opened && port.LastError() == PortError::PermissionDenied &&
               port.LastErrno() == EACCES && !canOpen && why == PortError::PermissionDenied;
    });
    if (verdict == kCannotDrop) GTEST_SKIP() << "cannot switch to user 65534 here";
    EXPECT_EQ(verdict, 0) << "the unprivileged open was not reported as denied";
}

// Root ignores the terminal's exclusive flag, so only an ordinary user shows
// that the flag keeps others out while the port is held and is given back on
// close (on a pseudo-terminal it would otherwise outlive the descriptor).
TEST(SerialPortOpenFailure, ExclusiveFlagHoldsOffOthersAndIsGivenBack) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch to an unprivileged user";
    PtyDevice device;
    ASSERT_TRUE(device.Ok());
    ASSERT_EQ(::chmod(device.Path().c_str(), 0666), 0);

    SerialPort holder;
    ASSERT_TRUE(holder.Open(device.Path()));
    int verdict = RunAsNobody([&] {
        SerialPort port;
        return !port.Open(device.Path()) && port.LastError() == PortError::Busy &&
               port.LastErrno() == EBUSY;
    });
    if (verdict == kCannotDrop) GTEST_SKIP() << "cannot switch to user 65534 here";
    EXPECT_EQ(verdict, 0) << "another user could open the held port";

    holder.Close();
    verdict = RunAsNobody([&] {
        SerialPort port;
        return port.Open(device.Path());
    });
    EXPECT_EQ(verdict, 0) << "the port stayed exclusive after close";
}

TEST(DescribePortErrorTest, NamesEachFailureAndTheSystemReason) {
    const PortError errors[] = {PortError::NotFound,     PortError::PermissionDenied,
                                PortError::Busy,         PortError::NotATerminal,
                                PortError::ConfigFailed, PortError::Other};
    std::vector<std::string> texts;
    for (PortError e : errors) {
        const std::string text = DescribePortError(e, 0);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(std::count(texts.begin(), texts.end(), text), 0) << text;
        texts.push_back(text);
    }
    EXPECT_NE(DescribePortError(PortError::PermissionDenied, 0).find("dialout"), std::string::npos);
    const std::string withErrno = DescribePortError(PortError::Busy, EBUSY);
    EXPECT_NE(withErrno.find(DescribePortError(PortError::Busy, 0)), std::string::npos);
    EXPECT_GT(withErrno.size(), DescribePortError(PortError::Busy, 0).size());
}

}  // namespace
}  // namespace merivane
