#include "cli/DeviceFleet.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "cli/CommandReport.h"
#include "cli/ExitCodes.h"
#include "cli/PortDiscovery.h"
#include "support/Clock.h"
#include "support/Interruption.h"
#include "support/TerminalText.h"

extern char** environ;

namespace merivane::cli {
namespace {

// One device's process and what it has written so far.
struct DeviceProcess {
    std::string port;
    pid_t pid = -1;
    int out = -1;
    int err = -1;
    std::string output;
    std::string partialLine;
    std::string lastMessage;
    int exit = kExitFailed;
};

// The running fleet's processes, for the signal handler: slot i holds device i's
// process id while it may still run (0: none).
constexpr size_t kTrackedProcesses = 1024;
std::atomic<pid_t> g_devicePids[kTrackedProcesses];
static_assert(std::atomic<pid_t>::is_always_lock_free, "read in a signal handler");

void Track(size_t slot, pid_t pid) {
    if (slot < kTrackedProcesses) g_devicePids[slot].store(pid);
}

std::string OwnProgram() {
    char path[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string("merivane-cli");
}

// The per-device form of a file the command writes.
std::vector<std::string> DeviceFileArguments(const CliOptions& options, const std::string& tag) {
    std::vector<std::string> args = options.args;
    std::error_code ec;
    if (options.command == "backup" || (options.command == "report" && !args.empty() &&
                                        !std::filesystem::is_directory(args[0], ec))) {
        args[0] = TaggedPath(args[0], tag);
    } else if (options.command == "download") {
        const std::string name = args[0];
        if (args.size() < 2) {
            args.push_back(TaggedPath(name, tag));
        } else if (std::filesystem::is_directory(args[1], ec)) {
            args[1] = (std::filesystem::path(args[1]) / TaggedPath(name, tag)).string();
        } else {
            args[1] = TaggedPath(args[1], tag);
        }
    }
    return args;
}

bool Spawn(const std::string& program, const std::vector<std::string>& arguments,
           DeviceProcess& device) {
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0) return false;
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        close(outPipe[0]);
        close(outPipe[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    // A process group of its own: a Ctrl+C at the terminal reaches the devices
    // only through this process, which passes it on once.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int spawned =
        posix_spawn(&device.pid, program.c_str(), &actions, &attributes, pointers.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned != 0) {
        device.pid = -1;
        close(outPipe[0]);
        close(errPipe[0]);
        return false;
    }
    device.out = outPipe[0];
    device.err = errPipe[0];
    return true;
}

// Passes on each finished line of a device's messages, marked with its port.
void ForwardMessages(DeviceProcess& device, bool atEnd) {
    size_t end;
    while ((end = device.partialLine.find('\n')) != std::string::npos ||
           (atEnd && !device.partialLine.empty())) {
        if (end == std::string::npos) end = device.partialLine.size();
        std::string line = device.partialLine.substr(0, end);
        device.partialLine.erase(0, std::min(end + 1, device.partialLine.size()));
        if (line.rfind("merivane-cli: ", 0) == 0) line.erase(0, 14);
        if (line.empty()) continue;
        device.lastMessage = line;
        std::fprintf(stderr, "[%s] %s\n", TerminalSafe(device.port).c_str(),
                     TerminalSafe(line).c_str());
    }
    std::fflush(stderr);
}

// Passes on each finished line of a streaming command's output as it comes: JSON
// lines as they are (each names its port), text lines marked with the port.
void ForwardOutput(DeviceProcess& device, bool json) {
    for (size_t end; (end = device.output.find('\n')) != std::string::npos;) {
        const std::string line = device.output.substr(0, end);
        device.output.erase(0, end + 1);
        if (json)
            std::fprintf(stdout, "%s\n", line.c_str());
        else
            std::fprintf(stdout, "[%s] %s\n", TerminalSafe(device.port).c_str(),
                         TerminalSafe(line).c_str());
    }
    std::fflush(stdout);
}

// After an interruption the processes have kStopGraceMs to end; then they are killed.
int PollTimeout(uint64_t& stopBy, std::vector<DeviceProcess>& devices) {
    if (!InterruptionRequested()) return -1;
    const uint64_t now = Clock::RealNowMs();
    if (stopBy == 0) stopBy = now + kStopGraceMs;
    if (now < stopBy) return static_cast<int>(stopBy - now);
    for (const DeviceProcess& device : devices)
        if (device.pid > 0) kill(device.pid, SIGKILL);
    return -1;
}

// Reads what the processes write until each has closed both outputs, then collects
// their exit statuses. With `stream`, standard output is passed on line by line.
void CollectOutput(std::vector<DeviceProcess>& devices, bool stream, bool json) {
    uint64_t stopBy = 0;
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<std::pair<DeviceProcess*, bool>> owners;  // device, is standard output
        for (DeviceProcess& device : devices) {
            if (device.out >= 0) {
                fds.push_back({device.out, POLLIN, 0});
                owners.emplace_back(&device, true);
            }
            if (device.err >= 0) {
                fds.push_back({device.err, POLLIN, 0});
                owners.emplace_back(&device, false);
            }
        }
        if (fds.empty()) break;
        if (poll(fds.data(), fds.size(), PollTimeout(stopBy, devices)) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            auto [device, isOutput] = owners[i];
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                close(fds[i].fd);
                (isOutput ? device->out : device->err) = -1;
                if (!isOutput) ForwardMessages(*device, true);
                continue;
            }
            if (isOutput) {
                device->output.append(buffer, static_cast<size_t>(n));
                if (stream) ForwardOutput(*device, json);
            } else {
                device->partialLine.append(buffer, static_cast<size_t>(n));
                ForwardMessages(*device, false);
            }
        }
    }
    for (size_t i = 0; i < devices.size(); ++i) {
        DeviceProcess& device = devices[i];
        if (device.pid <= 0) continue;
        // Its id may belong to another process once it has been collected.
        Track(i, 0);
        int status = 0;
        while (waitpid(device.pid, &status, 0) < 0 && errno == EINTR) {
        }
        device.exit = WIFEXITED(status) ? WEXITSTATUS(status) : kExitFailed;
        if (WIFSIGNALED(status))
            device.lastMessage = "ended by signal " + std::to_string(WTERMSIG(status));
    }
}

const char* ResultText(int exit) {
    switch (exit) {
        case kExitDone:
            return "done";
        case kExitUsage:
            return "refused";
        case kExitNoDevice:
            return "no device";
        default:
            return "failed";
    }
}

int OverallExit(const std::vector<DeviceProcess>& devices) {
    bool allDone = true;
    bool allSame = true;
    for (const DeviceProcess& device : devices) {
        allDone = allDone && device.exit == kExitDone;
        allSame = allSame && device.exit == devices.front().exit;
    }
    if (allDone) return kExitDone;
    return allSame ? devices.front().exit : kExitFailed;
}

// The device's own JSON document, or null when what it wrote is not one JSON object
// (a process that died half-way): taken over, it would spoil the whole document.
Json DeviceDocument(const std::string& output) {
    Json document = Json::parse(output, nullptr, false);
    return document.is_object() ? document : Json();
}

void PrintJson(const CliOptions& options, const std::vector<DeviceProcess>& devices, int exit) {
    Json document = {{"command", options.command}, {"ok", exit == kExitDone}, {"exit", exit}};
    bool anyChanged = false;
    Json list = Json::array();
    for (const DeviceProcess& device : devices) {
        Json own = DeviceDocument(device.output);
        anyChanged = anyChanged || (own.is_object() && own.value("changed", Json()) == true);
        list.push_back({{"port", device.port},
                        {"exit", device.exit},
                        {"result", ResultText(device.exit)},
                        {"message", device.exit == kExitDone ? std::string() : device.lastMessage},
                        {"document", std::move(own)}});
    }
    document["changed"] = anyChanged;
    document["devices"] = list;
    std::printf("%s\n", JsonText(document).c_str());
}

void PrintText(const std::vector<DeviceProcess>& devices) {
    for (const DeviceProcess& device : devices) {
        if (device.output.empty()) continue;
        std::printf("== %s ==\n%s", TerminalSafe(device.port).c_str(),
                    TerminalSafe(device.output, LineBreaks::Keep).c_str());
        if (device.output.back() != '\n') std::printf("\n");
    }
    Json rows = Json::array();
    for (const DeviceProcess& device : devices)
        rows.push_back(
            {{"port", device.port},
             {"result", ResultText(device.exit)},
             {"exit", device.exit},
             {"message", device.exit == kExitDone ? std::string() : device.lastMessage}});
    const Json table = {{"summary", rows}};
    std::printf("\n%s", RenderText(table).c_str());
}

}  // namespace

std::vector<std::string> DeviceProcessArguments(const CliOptions& options, const std::string& port,
                                                const std::string& tag) {
    std::vector<std::string> arguments = {"--port", port};
    if (options.debug) {
        arguments.push_back("--debug");
        arguments.push_back("--log=" + TaggedPath(options.LogPath(), tag));
    }
    if (options.json) arguments.push_back("--json");
    CliOptions device = options;
    device.args = DeviceFileArguments(options, tag);
    const std::vector<std::string> rest = CommandArguments(device);
    arguments.insert(arguments.end(), rest.begin(), rest.end());
    return arguments;
}

int RunOnDevices(const CliOptions& options, const std::vector<std::string>& ports) {
    const std::string program = OwnProgram();
    // Two ports can make the same tag ("/dev/a:b", "/dev/a_b"); the second device would
    // then write over the first one's files.
    const std::vector<std::string> tags = UniquePortTags(ports);
    std::vector<DeviceProcess> devices(ports.size());
    for (size_t i = 0; i < ports.size(); ++i) {
        devices[i].port = ports[i];
        if (InterruptionRequested()) {
            devices[i].lastMessage = "interrupted before it was started";
            continue;
        }
        if (!Spawn(program, DeviceProcessArguments(options, ports[i], tags[i]), devices[i]))
            devices[i].lastMessage = "the process for this device could not be started";
        Track(i, devices[i].pid);
    }
    // The monitor's samples are shown as they come, and there is nothing to sum up.
    const bool stream = options.command == "monitor";
    CollectOutput(devices, stream, options.json);
    const int exit = OverallExit(devices);
    if (!stream && options.json) PrintJson(options, devices, exit);
    if (!stream && !options.json) PrintText(devices);
    std::fflush(stdout);
    return InterruptionRequested() ? kExitInterrupted : exit;
}

void PassSignalToDevices(int signal) {
    for (std::atomic<pid_t>& slot : g_devicePids)
        if (const pid_t pid = slot.load(); pid > 0) kill(pid, signal);
}

}  // namespace merivane::cli
