#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>

#include "cli/DeviceFleet.h"
#include "cli/DeviceProcesses.h"
#include "support/Clock.h"
#include "support/Interruption.h"

extern char** environ;

namespace merivane::cli {
namespace {

// The running fleet's processes, for the signal handler: slot i holds device i's
// process id while it may still run (0: none).
constexpr size_t kTrackedProcesses = 1024;
std::atomic<pid_t> g_devicePids[kTrackedProcesses];
static_assert(std::atomic<pid_t>::is_always_lock_free, "read in a signal handler");

void Track(size_t slot, pid_t pid) {
    if (slot < kTrackedProcesses) g_devicePids[slot].store(pid);
}

pid_t Pid(const DeviceProcess& device) { return static_cast<pid_t>(device.process); }

// After an interruption the processes have kStopGraceMs to end; then they are killed.
int PollTimeout(uint64_t& stopBy, std::vector<DeviceProcess>& devices) {
    if (!InterruptionRequested()) return -1;
    const uint64_t now = Clock::RealNowMs();
    if (stopBy == 0) stopBy = now + kStopGraceMs;
    if (now < stopBy) return static_cast<int>(stopBy - now);
    for (const DeviceProcess& device : devices)
        if (Pid(device) > 0) kill(Pid(device), SIGKILL);
    return -1;
}

}  // namespace

bool StartDeviceProcess(const std::string& program, const std::vector<std::string>& arguments,
                        size_t slot, DeviceProcess& device) {
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
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, &attributes, pointers.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return false;
    }
    device.process = pid;
    device.out = outPipe[0];
    device.err = errPipe[0];
    Track(slot, pid);
    return true;
}

void CollectDeviceOutput(std::vector<DeviceProcess>& devices, const DeviceBytes& received) {
    uint64_t stopBy = 0;
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<std::pair<DeviceProcess*, bool>> owners;  // device, is standard output
        for (DeviceProcess& device : devices) {
            if (device.out >= 0) {
                fds.push_back({static_cast<int>(device.out), POLLIN, 0});
                owners.emplace_back(&device, true);
            }
            if (device.err >= 0) {
                fds.push_back({static_cast<int>(device.err), POLLIN, 0});
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
                received(*device, isOutput, {});
                continue;
            }
            received(*device, isOutput, std::string_view(buffer, static_cast<size_t>(n)));
        }
    }
    for (size_t i = 0; i < devices.size(); ++i) {
        DeviceProcess& device = devices[i];
        if (Pid(device) <= 0) continue;
        // Its id may belong to another process once it has been collected.
        Track(i, 0);
        int status = 0;
        while (waitpid(Pid(device), &status, 0) < 0 && errno == EINTR) {
        }
        // A process that did not exit keeps the failure status it was given.
        if (WIFEXITED(status)) device.exit = WEXITSTATUS(status);
        if (WIFSIGNALED(status))
            device.lastMessage = "ended by signal " + std::to_string(WTERMSIG(status));
    }
}

std::string OwnProgram() {
    char path[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string("merivane-cli");
}

void PassSignalToDevices(int signal) {
    for (std::atomic<pid_t>& slot : g_devicePids)
        if (const pid_t pid = slot.load(); pid > 0) kill(pid, signal);
}

}  // namespace merivane::cli
