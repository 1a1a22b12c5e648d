// The simulated device's line behaviour seen through a bare terminal client:
// echo, framing of command lines, plugging, and the answer faults.

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "SimRawClient.h"
#include "sim/SimulatedDevice.h"
#include "support/Clock.h"
#include "support/PtyPair.h"

namespace merivane::sim {
namespace {

using testing::RawClient;

std::string TempLink(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string("merivane-") + name + "-" + std::to_string(getpid())))
        .string();
}

class SimDeviceCoreTest : public ::testing::Test {
  protected:
    DeviceOptions Options(const char* name) {
        DeviceOptions options;
        options.linkPath = TempLink(name);
        options.console = false;  // a quiet line: only answers
        return options;
    }
};

TEST_F(SimDeviceCoreTest, AnswersAtWithEchoAndOkAndUnknownWithError) {
    SimulatedDevice device(Options("basic"));
    ASSERT_TRUE(device.Start());
    ASSERT_TRUE(std::filesystem::is_symlink(device.LinkPath()));
    RawClient client(device.LinkPath());
    ASSERT_TRUE(client.IsOpen());

    ASSERT_TRUE(client.Send("AT\r\n"));
    EXPECT_EQ(client.ReadUntil("OK\r\n"), "AT\r\n\r\nOK\r\n");
    ASSERT_TRUE(client.Send("AT+NOSUCHTHING\r\n"));
    EXPECT_EQ(client.ReadUntil("ERROR\r\n"), "AT+NOSUCHTHING\r\n\r\nERROR\r\n");
    EXPECT_EQ(device.ReceivedCommands(), (std::vector<std::string>{"AT", "AT+NOSUCHTHING"}));
}

TEST_F(SimDeviceCoreTest, TakesLinesEndedByCrAloneOrLfAloneAndIgnoresEmptyLines) {
    SimulatedDevice device(Options("ends"));
    ASSERT_TRUE(device.Start());
    RawClient client(device.LinkPath());
    ASSERT_TRUE(client.Send("AT\r"));
    EXPECT_EQ(client.ReadUntil("OK\r\n"), "AT\r\r\nOK\r\n");
    ASSERT_TRUE(client.Send("\r\n\nat\n"));
    EXPECT_EQ(client.ReadUntil("OK\r\n"), "at\n\r\nOK\r\n");
    EXPECT_EQ(device.ReceivedCommands(), (std::vector<std::string>{"AT", "at"}));
}

TEST_F(SimDeviceCoreTest, NoEchoOptionSendsOnlyTheAnswer) {
    DeviceOptions options = Options("noecho");
    options.echo = false;
    SimulatedDevice device(options);
    ASSERT_TRUE(device.Start());
    RawClient client(device.LinkPath());
    ASSERT_TRUE(client.Send("AT+CSQ\r\n"));
    EXPECT_EQ(client.ReadUntil("OK\r\n"), "\r\n+CSQ: 17,99\r\n\r\nOK\r\n");
}

TEST_F(SimDeviceCoreTest, UnplugRemovesTheLinkAndFailsTheOpenSideAndPlugComesBack) {
    SimulatedDevice device(Options("plug"));
    ASSERT_TRUE(device.Start());
    RawClient before(device.LinkPath());
    ASSERT_TRUE(before.IsOpen());

    device.Unplug();
    EXPECT_FALSE(device.IsPlugged());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(device.LinkPath())));
    before.ReadUntil("never", 300);
    EXPECT_TRUE(before.Failed());

    device.Plug();
    EXPECT_TRUE(device.IsPlugged());
    EXPECT_EQ(device.PlugCount(), 2u);
    RawClient after(device.LinkPath());
    ASSERT_TRUE(after.IsOpen());
    ASSERT_TRUE(after.Send("AT\r\n"));
    EXPECT_EQ(after.ReadUntil("OK\r\n"), "AT\r\n\r\nOK\r\n");
}

// What the host side of a terminal receives until it ends with `end` (5 s at most).
std::string ReadFromMaster(int master, const std::string& end) {
    std::string got;
    for (int i = 0; i < 250 && !got.ends_with(end); ++i) {
        pollfd pfd{master, POLLIN, 0};
        if (::poll(&pfd, 1, 20) <= 0) continue;
        char buffer[256];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0) got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

// A gadget's serial port is an existing terminal that hangs up when the host
// goes away; here a pseudo-terminal behind a link stands in for it and a new
// one behind the same name for the port after the hang-up.
TEST_F(SimDeviceCoreTest, ServesAnExistingTerminalAndOpensItAgainAfterAHangUp) {
    const std::string tty = TempLink("tty");
    auto pty = std::make_unique<merivane::test::PtyPair>();
    std::filesystem::remove(tty);
    std::filesystem::create_symlink(pty->SlavePath(), tty);
    DeviceOptions options = Options("served");
    options.ttyPath = tty;
    SimulatedDevice device(options);
    ASSERT_TRUE(device.Start());
    ASSERT_EQ(::write(pty->Master(), "AT\r\n", 4), 4);
    EXPECT_EQ(ReadFromMaster(pty->Master(), "OK\r\n"), "AT\r\n\r\nOK\r\n");

    pty = std::make_unique<merivane::test::PtyPair>();
    std::filesystem::remove(tty);
    std::filesystem::create_symlink(pty->SlavePath(), tty);
    ASSERT_TRUE(device.WaitForPlugCount(2, 5000));
    ASSERT_EQ(::write(pty->Master(), "AT\r\n", 4), 4);
    EXPECT_EQ(ReadFromMaster(pty->Master(), "OK\r\n"), "AT\r\n\r\nOK\r\n");
    device.Stop();
    std::filesystem::remove(tty);
}

TEST_F(SimDeviceCoreTest, StopRemovesTheLink) {
    DeviceOptions options = Options("stop");
    {
        SimulatedDevice device(options);
        ASSERT_TRUE(device.Start());
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(options.linkPath)));
}

TEST_F(SimDeviceCoreTest, RejectsUnknownFaultSpecs) {
    SimulatedDevice device(Options("faultspec"));
    for (const char* spec :
         {"silent", "silent:", "slow:abc", "slow:", "garbage:1", "nonsense", "huge"}) {
        EXPECT_FALSE(device.AddFault(spec)) << spec;
    }
    for (const char* spec : {"silent:AT+CSQ", "error:ATI9", "echo-only:CGMR", "garbage", "split",
                             "slow:250", "unplug-after-bytes:100", "corrupt-upload",
                             "bad-xml:query", "huge:CGSN", "chatter-forever"}) {
        EXPECT_TRUE(device.AddFault(spec)) << spec;
    }
    DeviceOptions bad = Options("badstart");
    bad.faults = {"what:ever"};
    SimulatedDevice refused(bad);
    EXPECT_FALSE(refused.Start());
}

TEST_F(SimDeviceCoreTest, CommandFaultsSilenceErrorAndEchoOnly) {
    SimulatedDevice device(Options("cmdfaults"));
    ASSERT_TRUE(device.Start());
    ASSERT_TRUE(device.AddFault("silent:+csq"));
    ASSERT_TRUE(device.AddFault("error:AT+CGMI"));
    ASSERT_TRUE(device.AddFault("echo-only:AT+CGSN"));
    RawClient client(device.LinkPath());

    ASSERT_TRUE(client.Send("AT+CSQ\r\n"));
    EXPECT_EQ(client.ReadFor(200), "");
    ASSERT_TRUE(client.Send("AT+CGMI\r\n"));
    EXPECT_EQ(client.ReadUntil("ERROR\r\n"), "AT+CGMI\r\n\r\nERROR\r\n");
    ASSERT_TRUE(client.Send("AT+CGSN\r\n"));
    EXPECT_EQ(client.ReadFor(200), "AT+CGSN\r\n");

    device.ClearFaults();
    ASSERT_TRUE(client.Send("AT+CSQ\r\n"));
    EXPECT_EQ(client.ReadUntil("OK\r\n"), "AT+CSQ\r\n\r\n+CSQ: 17,99\r\n\r\nOK\r\n");
}

TEST_F(SimDeviceCoreTest, SplitAndSlowAnswersArriveWhole) {
    ScaledClock clock(50);
    ScopedClock scoped(clock);
    SimulatedDevice device(Options("split"));
    ASSERT_TRUE(device.Start());
    ASSERT_TRUE(device.AddFault("split"));
    ASSERT_TRUE(device.AddFault("slow:5000"));
    RawClient client(device.LinkPath());
    ASSERT_TRUE(client.Send("AT+CREG?\r\n"));
    EXPECT_EQ(client.ReadUntil("OK\r\n", 10000), "AT+CREG?\r\n\r\n+CREG: 0,1\r\n\r\nOK\r\n");
}

TEST_F(SimDeviceCoreTest, GarbageFollowsTheAnswer) {
    SimulatedDevice device(Options("garbage"));
    ASSERT_TRUE(device.Start());
    ASSERT_TRUE(device.AddFault("garbage"));
    RawClient client(device.LinkPath());
    ASSERT_TRUE(client.Send("AT\r\n"));
    const std::string got = client.ReadFor(300);
    ASSERT_TRUE(got.starts_with("AT\r\n\r\nOK\r\n"));
    EXPECT_GT(got.size(), std::string("AT\r\n\r\nOK\r\n").size());
}

}  // namespace
}  // namespace merivane::sim
