#pragma once

// Running the merivane-cli program against simulated devices: the program as a child
// process with its own environment, devices in this process on the same fast clock.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "sim/SimulatedDevice.h"
#include "support/Clock.h"
#include "support/TempDir.h"

extern char** environ;

namespace merivane::test {

// How one run of the program ended and what it wrote.
struct CliRun {
    int exit = -1;  // -1: did not exit normally
    std::string out;
    std::string err;
};

// The program's time scale; the devices in this process run on the same one.
inline constexpr double kCliTimeScale = 25.0;

inline std::string CliPath() {
#ifdef MERIVANE_CLI_PATH
    return MERIVANE_CLI_PATH;
#else
    return {};
#endif
}

// Where the program's standard input and error go: nowhere and a pipe, or a terminal
// that has `input` typed into it.
struct CliTerminal {
    bool used = false;
    std::string input;
};

// Runs merivane-cli with `args` in `workDir` (when given). `environment` adds or
// replaces variables; MERIVANE_CLI_PORTS is taken away unless given, so the machine's
// own ports never take part. Stops the program after `limitMs` real milliseconds.
// `watch`, when given, sees the process and what it wrote so far about every 100 ms.
inline CliRun RunCli(const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& environment = {},
                     const std::string& workDir = {}, const CliTerminal& terminal = {},
                     int limitMs = 240000,
                     const std::function<void(pid_t, const CliRun&)>& watch = {}) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const size_t equals = text.find('=');
        if (equals != std::string::npos)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    variables.erase("MERIVANE_CLI_PORTS");
    variables["MERIVANE_TIME_SCALE"] = std::to_string(static_cast<int>(kCliTimeScale));
    for (const auto& [name, value] : environment) variables[name] = value;
    std::vector<std::string> envText;
    for (const auto& [name, value] : variables) envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& text : envText) envp.push_back(text.data());
    envp.push_back(nullptr);

    std::vector<std::string> argvText = {CliPath()};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& text : argvText) argv.push_back(text.data());
    argv.push_back(nullptr);

    CliRun run;
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0) return run;
    if (terminal.used) {
        // The terminal's master side reads like the error pipe; its slave is the child's.
        if (openpty(&errPipe[0], &errPipe[1], nullptr, nullptr, nullptr) != 0) return run;
        fcntl(errPipe[0], F_SETFD, FD_CLOEXEC);
        fcntl(errPipe[1], F_SETFD, FD_CLOEXEC);
    } else if (pipe2(errPipe, O_CLOEXEC) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (terminal.used)
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, argvText[0].c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return run;
    }

    if (!terminal.input.empty() &&
        write(errPipe[0], terminal.input.data(), terminal.input.size()) < 0)
        run.err = "(the input could not be typed)";
    int fds[2] = {outPipe[0], errPipe[0]};
    std::string* sinks[2] = {&run.out, &run.err};
    const uint64_t end = Clock::RealNowMs() + static_cast<uint64_t>(limitMs);
    while ((fds[0] >= 0 || fds[1] >= 0) && Clock::RealNowMs() < end) {
        pollfd polled[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
        if (watch) watch(pid, run);
        if (poll(polled, 2, 100) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i] < 0 || polled[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i], buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else {
                close(fds[i]);
                fds[i] = -1;
            }
        }
    }
    for (int fd : fds)
        if (fd >= 0) close(fd);
    if (Clock::RealNowMs() >= end) kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A JSON document the program wrote, its members in the order written.
using Json = nlohmann::ordered_json;

// The run's one JSON document (a failure of the test when it is not one).
inline Json JsonDocument(const CliRun& run) {
    Json document = Json::parse(run.out, nullptr, false);
    EXPECT_TRUE(document.is_object()) << run.out << run.err;
    return document.is_object() ? document : Json::object();
}

// The piece of a file name the program makes of a device's port (its per-device log and
// output files): the path without "/dev/" or a leading "/", other characters than
// letters, digits, ".", "_" and "-" as "_".
inline std::string PortTagOf(const sim::SimulatedDevice& device) {
    std::string tag = device.LinkPath();
    if (tag.rfind("/dev/", 0) == 0) tag.erase(0, 5);
    while (!tag.empty() && tag.front() == '/') tag.erase(0, 1);
    for (char& c : tag)
        if (!isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_' && c != '-') c = '_';
    return tag;
}

// Simulated devices in this process, on the program's time scale, with the console
// running as on a device nobody has talked to yet.
class CliFixture : public ::testing::Test {
  protected:
    CliFixture() : clock_(kCliTimeScale, 1500), installed_(clock_) {}

    void SetUp() override {
        if (CliPath().empty() || access(CliPath().c_str(), X_OK) != 0)
            GTEST_SKIP() << "merivane-cli not built";
    }

    static sim::DeviceOptions Options(sim::Product product = sim::Product::Brivel) {
        sim::DeviceOptions options;
        options.product = product;
        return options;
    }

    sim::SimulatedDevice& StartDevice(const std::string& name, sim::DeviceOptions options) {
        options.linkPath = dir_.File(name);
        devices_.push_back(std::make_unique<sim::SimulatedDevice>(options));
        EXPECT_TRUE(devices_.back()->Start());
        return *devices_.back();
    }

    // Runs the program on one device: --port LINK, then `args`.
    CliRun RunOn(const sim::SimulatedDevice& device, std::vector<std::string> args,
                 const std::map<std::string, std::string>& environment = {}) {
        args.insert(args.begin(), {"--port", device.LinkPath()});
        return RunCli(args, environment, dir_.Path().string());
    }

    // The commands a device received that contain `piece`.
    static std::vector<std::string> ReceivedWith(const sim::SimulatedDevice& device,
                                                 const std::string& piece) {
        std::vector<std::string> found;
        for (const std::string& line : device.ReceivedCommands())
            if (line.find(piece) != std::string::npos) found.push_back(line);
        return found;
    }

    // The last command a device received, waiting up to five seconds for it to be
    // `expected` and acted on (the program may end before the device has read its last
    // line).
    static std::string LastCommand(const sim::SimulatedDevice& device,
                                   const std::string& expected) {
        const uint64_t end = Clock::RealNowMs() + 5000;
        for (;;) {
            const std::vector<std::string> received = device.ReceivedCommands();
            const std::string last = received.empty() ? std::string() : received.back();
            if (last == expected) {
                device.WaitForCommand(expected, 5000);  // and acted on
                return last;
            }
            if (Clock::RealNowMs() >= end) return last;
            usleep(10000);
        }
    }

    // The settings document a device received after the two-part lead-in, or empty.
    static std::string SentSettingsDocument(const sim::SimulatedDevice& device) {
        const std::vector<std::string> received = device.ReceivedCommands();
        for (size_t i = 0; i + 1 < received.size(); ++i)
            if (received[i] == "at&usbinterface=22") return received[i + 1];
        return {};
    }

    ScaledClock clock_;
    ScopedClock installed_;
    TempDir dir_;
    std::vector<std::unique_ptr<sim::SimulatedDevice>> devices_;
};

}  // namespace merivane::test
