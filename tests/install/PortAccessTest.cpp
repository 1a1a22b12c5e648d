// The detection message's details when the device's port cannot be had: a
// port the user may not open, and a port that another program holds. Each
// case runs the real start-up against a pseudo-terminal that stands in for
// the device's port; the user answers Cancel to the detection message.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CKestrionApp.h"
#include "app/Startup.h"
#include "link/PortHolder.h"
#include "link/SerialPort.h"
#include "support/PtyPair.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

namespace merivane {
namespace {

constexpr uid_t kNobody = 65534;
constexpr char kDetectionText[] =
    "Unable to detect a Varik Device. Please verify that it is powered and connected to your "
    "computer with the supplied USB cable.";
constexpr char kDetectionCaption[] = "Device detection error";

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return text;
        text.append(buffer, static_cast<size_t>(n));
    }
}

bool BecomeNobody() {
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

// Runs `produce` in a child process, as user 65534 when `asNobody`, and
// returns the text it produced; nothing when the child could not switch user.
std::optional<std::string> RunInChild(bool asNobody, const std::function<std::string()>& produce) {
    constexpr int kCannotSwitch = 100;
    int channel[2];
    if (::pipe(channel) != 0) return std::string("pipe failed");
    const pid_t child = ::fork();
    if (child < 0) return std::string("fork failed");
    if (child == 0) {
        ::close(channel[0]);
        if (asNobody && !BecomeNobody()) ::_exit(kCannotSwitch);
        ::_exit(WriteAll(channel[1], produce()) ? 0 : 1);
    }
    ::close(channel[1]);
    std::string text = ReadAll(channel[0]);
    ::close(channel[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child) return std::string("lost the child");
    if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotSwitch) return std::nullopt;
    return text;
}

// What the user was shown when start-up could not find a port to open.
struct DetectionPrompt {
    std::string text;
    std::string caption;
    std::string details;
};

// Start-up with `port` as the one candidate that discovery reports; the user
// cancels the detection message. Flattened into one text, since it may have
// to travel from a child process.
// Start-up against `port`, found by discovery or, with `named`, given as --port.
std::string RunStartupAgainst(const std::string& port, bool named = false) {
    CKestrionApp app(std::make_unique<FixedPortSource>(
        named ? std::vector<PortEntry>{} : std::vector<PortEntry>{{{"Varik"}, port}}));
    test::ScriptedPrompts prompts;
    StartupHooks hooks;
    hooks.prompts = &prompts;
    StartupOptions options;
    if (named) options.portPath = port;
    RunStartup(app, options, hooks);
    if (prompts.ShownPrompts().size() != 1) return "unexpected prompts";
    const auto& shown = prompts.ShownPrompts()[0];
    return shown.text + '\0' + shown.caption + '\0' + shown.details;
}

DetectionPrompt Unpack(const std::string& flat) {
    DetectionPrompt prompt;
    const size_t first = flat.find('\0');
    const size_t second = first == std::string::npos ? first : flat.find('\0', first + 1);
    if (second == std::string::npos) {
        prompt.text = flat;
        return prompt;
    }
    prompt.text = flat.substr(0, first);
    prompt.caption = flat.substr(first + 1, second - first - 1);
    prompt.details = flat.substr(second + 1);
    return prompt;
}

bool Contains(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

// A program that holds a port open, under a name of the test's choice, until
// it is dropped. It takes the port the way the tool does: locked and marked
// exclusive.
class HoldingProcess {
  public:
    HoldingProcess(const std::string& port, const std::string& name) {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0) return;
        if (::pipe(release) != 0) {
            ::close(ready[0]);
            ::close(ready[1]);
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            ::prctl(PR_SET_NAME, name.c_str(), 0, 0, 0);
            SerialPort held;
            const bool opened = held.Open(port);
            WriteAll(ready[1], opened ? "1" : "0");
            ::close(ready[1]);
            char ignored;
            while (::read(release[0], &ignored, 1) < 0 && errno == EINTR) {
            }
            held.Close();
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        if (pid_ > 0) holding_ = ReadAll(ready[0]) == "1";
        ::close(ready[0]);
    }
    ~HoldingProcess() {
        if (release_ >= 0) ::close(release_);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }
    HoldingProcess(const HoldingProcess&) = delete;
    HoldingProcess& operator=(const HoldingProcess&) = delete;

    bool Holding() const { return holding_; }
    int Pid() const { return static_cast<int>(pid_); }

  private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool holding_ = false;
};

TEST(PortAccessTest, APortTheUserMayNotOpenIsNamedWithTheGroupAndTheUdevRule) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    const std::string& port = pty.SlavePath();
    for (const bool named : {false, true}) {
        SCOPED_TRACE(named ? "named with --port" : "found by discovery");
        std::optional<std::string> flat;
        if (::geteuid() == 0) {
            // Root ignores file modes: the port is made root's alone and opened
            // by an ordinary user.
            ASSERT_EQ(::chown(port.c_str(), 0, 0), 0);
            ASSERT_EQ(::chmod(port.c_str(), 0600), 0);
            flat = RunInChild(true, [&] { return RunStartupAgainst(port, named); });
            if (!flat) GTEST_SKIP() << "cannot switch to user 65534 here";
        } else {
            ASSERT_EQ(::chmod(port.c_str(), 0), 0);
            flat = RunStartupAgainst(port, named);
        }
        const DetectionPrompt shown = Unpack(*flat);
        EXPECT_EQ(shown.text, kDetectionText);
        EXPECT_EQ(shown.caption, kDetectionCaption);
        EXPECT_EQ(shown.details.rfind(port + ": ", 0), 0u) << shown.details;
        EXPECT_TRUE(Contains(shown.details, "you may not open it (Permission denied)"))
            << shown.details;
        EXPECT_TRUE(Contains(shown.details, "group dialout")) << shown.details;
        EXPECT_TRUE(Contains(shown.details, "usermod -aG dialout")) << shown.details;
        EXPECT_TRUE(Contains(shown.details, kUdevRuleFileName)) << shown.details;
    }
}

// The holder runs as the same user as the tool, so its open files can be
// looked through and it is named with its process id.
TEST(PortAccessTest, APortHeldByAnotherProgramNamesThatProgramAndWhatToDo) {
    struct Case {
        const char* holder;
        const char* advice;
    };
    const Case cases[] = {
        {"minicom", "Close that program and try again."},
        {"ModemManager", kUdevRuleFileName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.holder);
        test::PtyPair pty;
        ASSERT_TRUE(pty.Ok());
        const std::string& port = pty.SlavePath();
        HoldingProcess holder(port, c.holder);
        ASSERT_TRUE(holder.Holding());

        for (const bool named : {false, true}) {
            const DetectionPrompt shown = Unpack(RunStartupAgainst(port, named));
            EXPECT_EQ(shown.text, kDetectionText);
            EXPECT_EQ(shown.caption, kDetectionCaption);
            EXPECT_EQ(shown.details.rfind(port + ": held by another program", 0), 0u)
                << shown.details;
            const std::string holderNamed =
                std::string("Held by ") + c.holder + " (pid " + std::to_string(holder.Pid()) + ").";
            EXPECT_TRUE(Contains(shown.details, holderNamed)) << shown.details;
            EXPECT_TRUE(Contains(shown.details, c.advice)) << shown.details;
        }
    }
}

// A holder of another user (here root, seen from user 65534) keeps its open
// files to itself: the details then say how to find it, and point at
// ModemManager when it is running, since it is the usual holder.
TEST(PortAccessTest, AHolderThatCannotBeSeenIsFoundOutWithFuserAndModemManagerIsSuspected) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to hold the port as another user";
    struct Case {
        const char* holder;
        bool modemManagerNamed;
    };
    const Case cases[] = {{"ModemManager", true}, {"minicom", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.holder);
        test::PtyPair pty;
        ASSERT_TRUE(pty.Ok());
        const std::string& port = pty.SlavePath();
        // Anyone may open the port: only the holder's exclusive mark keeps them out.
        ASSERT_EQ(::chmod(port.c_str(), 0666), 0);
        HoldingProcess holder(port, c.holder);
        ASSERT_TRUE(holder.Holding());

        const std::optional<std::string> flat =
            RunInChild(true, [&] { return RunStartupAgainst(port); });
        if (!flat) GTEST_SKIP() << "cannot switch to user 65534 here";
        const DetectionPrompt shown = Unpack(*flat);
        EXPECT_EQ(shown.text, kDetectionText);
        EXPECT_EQ(shown.details.rfind(port + ": held by another program", 0), 0u) << shown.details;
        EXPECT_FALSE(Contains(shown.details, "pid " + std::to_string(holder.Pid())));
        EXPECT_TRUE(Contains(shown.details, "sudo fuser -v " + port)) << shown.details;
        if (c.modemManagerNamed) {
            EXPECT_TRUE(Contains(shown.details, "ModemManager is running")) << shown.details;
            EXPECT_TRUE(Contains(shown.details, kUdevRuleFileName)) << shown.details;
        }
    }
}

// Several problem ports are each reported with their own reason.
TEST(PortAccessTest, EachPortThatCouldNotBeHadIsReportedOnItsOwn) {
    test::PtyPair held;
    ASSERT_TRUE(held.Ok());
    HoldingProcess holder(held.SlavePath(), "picocom");
    ASSERT_TRUE(holder.Holding());
    test::TempDir dir;
    const std::string gone = dir.File("ttyGONE");

    CKestrionApp app(std::make_unique<FixedPortSource>(
        std::vector<PortEntry>{{{"Varik"}, gone}, {{"Varik"}, held.SlavePath()}}));
    ASSERT_FALSE(app.Link().FindAndOpenPort({}));
    const std::string details = DetectionProblemDetails(app.Link());
    const size_t split = details.find("\n\n");
    ASSERT_NE(split, std::string::npos) << details;
    EXPECT_EQ(details.substr(0, split), gone + ": no such device (No such file or directory).");
    EXPECT_EQ(details.find(held.SlavePath() + ": held by another program", split), split + 2)
        << details;
    EXPECT_TRUE(Contains(details, "Held by picocom (pid " + std::to_string(holder.Pid()) + ")."));
}

// The search through /proc, on a made-up process table: several holders of
// the same terminal (by any of its names), unrelated descriptors passed over.
TEST(PortHolderTest, HoldersAreFoundByTheTerminalTheyHaveOpen) {
    test::PtyPair pty;
    test::PtyPair other;
    ASSERT_TRUE(pty.Ok());
    ASSERT_TRUE(other.Ok());
    test::TempDir proc;
    const auto process = [&](const std::string& pid, const std::string& comm,
                             const std::vector<std::string>& targets) {
        const std::string dir = proc.File(pid);
        std::filesystem::create_directories(dir + "/fd");
        test::WriteWholeFile(dir + "/comm", comm + "\n");
        for (size_t i = 0; i < targets.size(); ++i)
            std::filesystem::create_symlink(targets[i], dir + "/fd/" + std::to_string(i));
    };
    test::TempDir links;
    const std::string byId = links.File("usb-Varik_Router-if00");
    std::filesystem::create_symlink(pty.SlavePath(), byId);

    process("101", "minicom", {"/dev/null", pty.SlavePath()});
    process("202", "screen", {other.SlavePath()});
    process("303", "ModemManager", {byId, pty.SlavePath()});
    process("self", "not-a-process", {pty.SlavePath()});
    process(std::to_string(::getpid()), "us", {pty.SlavePath()});

    std::vector<PortHolder> holders = FindPortHolders(byId, proc.Path().string());
    std::sort(holders.begin(), holders.end(),
              [](const PortHolder& a, const PortHolder& b) { return a.pid < b.pid; });
    ASSERT_EQ(holders.size(), 2u);
    EXPECT_EQ(holders[0].pid, 101);
    EXPECT_EQ(holders[0].name, "minicom");
    EXPECT_EQ(holders[1].pid, 303);
    EXPECT_EQ(holders[1].name, "ModemManager");

    EXPECT_TRUE(FindPortHolders(links.File("absent"), proc.Path().string()).empty());
    const std::vector<PortHolder> services =
        FindProcessesNamed("ModemManager", proc.Path().string());
    ASSERT_EQ(services.size(), 1u);
    EXPECT_EQ(services[0].pid, 303);
}

TEST(PortHolderTest, AdviceNamesEveryHolderAndSuitsWhatHoldsThePort) {
    const std::string port = "/dev/ttyACM0";
    const PortHolder minicom{4242, "minicom"};
    const PortHolder screen{77, "screen"};
    const PortHolder service{812, "ModemManager"};
    struct Case {
        std::vector<PortHolder> holders;
        std::vector<std::string> wanted;
        std::vector<std::string> unwanted;
    };
    const Case cases[] = {
        {{minicom}, {"Held by minicom (pid 4242). Close that program and try again."}, {"udev"}},
        {{minicom, screen},
         {"Held by minicom (pid 4242) and screen (pid 77). Close those programs"},
         {"udev"}},
        {{service}, {"Held by ModemManager (pid 812).", kUdevRuleFileName}, {"Close"}},
        {{minicom, service},
         {"minicom (pid 4242) and ModemManager (pid 812)", "Close that program", kUdevRuleFileName},
         {}},
        {{{0, ""}}, {"Held by a program (pid 0)."}, {}},
    };
    for (const Case& c : cases) {
        const std::string advice = BusyPortAdvice(port, c.holders, false);
        for (const std::string& piece : c.wanted) EXPECT_TRUE(Contains(advice, piece)) << advice;
        for (const std::string& piece : c.unwanted) EXPECT_FALSE(Contains(advice, piece)) << advice;
    }
}

}  // namespace
}  // namespace merivane
