// The merivane-devsim program, and what a device keeps across runs: the state
// folder and the traffic log.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "SimRawClient.h"
#include "SimTestSupport.h"

extern char** environ;

namespace merivane::sim {
namespace {

using testing::Inline;
using testing::Request;
using testing::TempFolder;

// The program sits beside the test binary's folder in the build tree.
std::string DevsimPath() {
    char self[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return {};
    return (std::filesystem::path(std::string(self, static_cast<size_t>(n)))
                .parent_path()
                .parent_path() /
            "sim" / "merivane-devsim")
        .string();
}

// A running merivane-devsim with its standard output on a pipe.
class DevsimProcess {
  public:
    explicit DevsimProcess(std::vector<std::string> args) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        const std::string program = DevsimPath();
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        out_ = pipeFds[0];
    }
    ~DevsimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
    }

    // The first line of standard output, waiting up to `realMs`.
    std::string FirstLine(int realMs) {
        std::string line;
        const uint64_t end = Clock::RealNowMs() + static_cast<uint64_t>(realMs);
        while (line.find('\n') == std::string::npos && Clock::RealNowMs() < end) {
            pollfd pfd{out_, POLLIN, 0};
            if (poll(&pfd, 1, 50) <= 0) continue;
            char c[256];
            const ssize_t n = read(out_, c, sizeof c);
            if (n <= 0) break;
            line.append(c, static_cast<size_t>(n));
        }
        return line.substr(0, line.find('\n'));
    }

    // Sends `signal` and returns the exit status (-1 when it did not exit normally).
    int Stop(int signal) {
        kill(pid_, signal);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    bool Started() const { return pid_ > 0; }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
};

TEST(SimProgramTest, DevsimPublishesItsLinkAnswersAtAndCleansUpOnSignals) {
    if (!std::filesystem::exists(DevsimPath())) GTEST_SKIP() << "merivane-devsim not built";
    TempFolder folder;
    for (int signal : {SIGTERM, SIGINT}) {
        const std::string link = folder / ("devsim" + std::to_string(signal));
        DevsimProcess process({"--link", link, "--product", "korvane", "--quiet-console"});
        ASSERT_TRUE(process.Started());
        ASSERT_EQ(process.FirstLine(10000), "READY " + link);

        testing::RawClient client(link);
        ASSERT_TRUE(client.IsOpen());
        ASSERT_TRUE(client.Send("AT\r\n"));
        EXPECT_EQ(client.ReadUntil("OK\r\n"), "AT\r\n\r\nOK\r\n");
        const std::string product =
            Inline(Request("<query_state><device_info><product/></device_info></query_state>"));
        ASSERT_TRUE(client.Send(product));
        EXPECT_NE(client.ReadUntil("OK\r\n").find("<product>Korvane</product>"), std::string::npos);

        EXPECT_EQ(process.Stop(signal), 0);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    }
}

TEST(SimProgramTest, DevsimRefusesBadArguments) {
    if (!std::filesystem::exists(DevsimPath())) GTEST_SKIP() << "merivane-devsim not built";
    TempFolder folder;
    for (std::vector<std::string> args :
         std::vector<std::vector<std::string>>{{"--product", "brivel"},
                                               {"--link", folder / "x", "--fault", "nonsense"},
                                               {"--link"}}) {
        DevsimProcess process(args);
        ASSERT_TRUE(process.Started());
        EXPECT_EQ(process.FirstLine(5000), "");
    }
    // A time scale it cannot read would leave it at real speed behind a faster tool.
    setenv("MERIVANE_TIME_SCALE", "fast", 1);
    DevsimProcess scaled({"--link", folder / "scaled"});
    unsetenv("MERIVANE_TIME_SCALE");
    ASSERT_TRUE(scaled.Started());
    EXPECT_EQ(scaled.FirstLine(5000), "");
    EXPECT_EQ(scaled.Stop(SIGTERM), 2);
}

class SimStateTest : public testing::SimDeviceFixture {};

TEST_F(SimStateTest, StateFolderKeepsSettingsFilesAndFirmwareAcrossRuns) {
    DeviceOptions options = BaseOptions();
    options.stateDir = folder_ / "state";
    options.autostart = true;
    Start(options);
    EXPECT_TRUE(device_->AutostartOn());
    bool ok = false;
    Ask(Inline(Request(
            "<set_setting><mobile_simple><apn>saved.example</apn></mobile_simple></set_setting>")),
        &ok);
    ASSERT_TRUE(ok);
    ASSERT_TRUE(device_->PutFile("/WEB/python/kept.py", "print('kept')\n"));
    ASSERT_TRUE(device_->RemoveFile("/WEB/python/main.py"));
    ASSERT_TRUE(
        device_->SetValue(SimulatedDevice::Document::State, "device_info/firmware", "9.9.9"));
    transport_.ClosePort();
    device_.reset();

    options.autostart = false;  // a saved state wins over the start-up default
    SimulatedDevice again(options);
    ASSERT_TRUE(again.Start());
    EXPECT_EQ(again.Setting("mobile_simple/apn"), "saved.example");
    EXPECT_TRUE(again.AutostartOn());
    EXPECT_EQ(again.FileContents("/WEB/python/kept.py"), "print('kept')\n");
    EXPECT_FALSE(again.FileContents("/WEB/python/main.py"));
    EXPECT_EQ(again.FirmwareVersion(), "9.9.9");
    EXPECT_EQ(again.FileNames("/WEB/python"), (std::vector<std::string>{"kept.py", "python.zip"}));

    // A folder saved for the other product keeps its files, not its documents.
    again.Stop();
    options.product = Product::Korvane;
    SimulatedDevice other(options);
    ASSERT_TRUE(other.Start());
    EXPECT_EQ(other.Setting("mobile_simple/apn"), "broadband.varik.example");
    EXPECT_TRUE(other.FileContents("/WEB/python/kept.py"));
}

TEST_F(SimStateTest, LogRecordsEveryByteBothWays) {
    DeviceOptions options = BaseOptions();
    options.logPath = folder_ / "traffic.log";
    Start(options);
    EXPECT_EQ(Ask("AT+CSQ\r\n"), "+CSQ: 17,99");
    device_->Stop();
    std::ifstream in(options.logPath);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find(" RX 8 AT+CSQ\\r\\n\n"), std::string::npos) << log;
    EXPECT_NE(log.find("+CSQ: 17,99\\r\\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" TX "), std::string::npos);
    EXPECT_NE(log.find(" -- command AT+CSQ\n"), std::string::npos) << log;
}

}  // namespace
}  // namespace merivane::sim
