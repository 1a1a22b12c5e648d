#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "cli/DeviceFleet.h"
#include "cli/DeviceProcesses.h"
#include "support/Clock.h"
#include "support/Interruption.h"

namespace merivane::cli {
namespace {

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }
std::intptr_t FromHandle(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

// One argument as the C runtime of the started program splits its command
// line: quoted when it holds blanks or quotes, backslashes doubled before a quote.
std::string Quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

// A pipe whose writing end the child inherits and whose reading end stays ours.
bool MakePipe(HANDLE& ours, HANDLE& childs) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!::CreatePipe(&ours, &childs, &inherit, 0)) return false;
    ::SetHandleInformation(ours, HANDLE_FLAG_INHERIT, 0);
    return true;
}

// What the reader threads hand to the collecting thread.
struct Chunk {
    DeviceProcess* device;
    bool isOutput;
    std::string bytes;  // empty: that output closed
};

class ChunkQueue {
  public:
    void Push(Chunk chunk) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            chunks_.push_back(std::move(chunk));
        }
        ready_.notify_one();
    }
    // The next chunk, waiting up to `ms` real milliseconds; false when none came.
    bool Pop(Chunk& chunk, uint64_t ms) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!ready_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return !chunks_.empty(); }))
            return false;
        chunk = std::move(chunks_.front());
        chunks_.pop_front();
        return true;
    }

  private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Chunk> chunks_;
};

// The device's C runtime writes its text with "\r\n" line ends; they are
// handed on as "\n", the line end the fleet's own output and parsing use. A
// "\r" at the end of a read waits for the next one, which may begin with "\n".
void ReadPipe(HANDLE pipe, DeviceProcess* device, bool isOutput, ChunkQueue* queue) {
    char buffer[4096];
    DWORD got = 0;
    std::string text;
    while (::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text.append(buffer, got);
        std::string lines;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
            lines += text[i];
        }
        const bool heldBack = lines.size() > 0 && lines.back() == '\r';
        if (heldBack) lines.pop_back();
        text = heldBack ? "\r" : "";
        if (!lines.empty()) queue->Push({device, isOutput, std::move(lines)});
    }
    if (!text.empty()) queue->Push({device, isOutput, text});
    queue->Push({device, isOutput, {}});
}

}  // namespace

std::string OwnProgram() {
    char path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(path, n) : std::string("merivane-cli.exe");
}

bool StartDeviceProcess(const std::string& program, const std::vector<std::string>& arguments,
                        size_t, DeviceProcess& device) {
    HANDLE outOurs, outChilds, errOurs, errChilds;
    if (!MakePipe(outOurs, outChilds)) return false;
    if (!MakePipe(errOurs, errChilds)) {
        ::CloseHandle(outOurs);
        ::CloseHandle(outChilds);
        return false;
    }
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE nothing = ::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         &inherit, OPEN_EXISTING, 0, nullptr);
    std::string commandLine = Quoted(program);
    for (const std::string& argument : arguments) commandLine += " " + Quoted(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = outChilds;
    startup.hStdError = errChilds;
    PROCESS_INFORMATION started{};
    // Devices are started one after the other, and each one's pipe ends are
    // closed here at once, so no child inherits another device's pipe. The
    // child stays on our console: a Ctrl+C there reaches every device.
    const BOOL ok = ::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                     nullptr, nullptr, &startup, &started);
    ::CloseHandle(outChilds);
    ::CloseHandle(errChilds);
    if (nothing != INVALID_HANDLE_VALUE) ::CloseHandle(nothing);
    if (!ok) {
        ::CloseHandle(outOurs);
        ::CloseHandle(errOurs);
        return false;
    }
    ::CloseHandle(started.hThread);
    device.process = FromHandle(started.hProcess);
    device.out = FromHandle(outOurs);
    device.err = FromHandle(errOurs);
    return true;
}

void CollectDeviceOutput(std::vector<DeviceProcess>& devices, const DeviceBytes& received) {
    ChunkQueue queue;
    std::vector<std::thread> readers;
    size_t open = 0;
    for (DeviceProcess& device : devices) {
        for (const bool isOutput : {true, false}) {
            const std::intptr_t pipe = isOutput ? device.out : device.err;
            if (pipe == -1) continue;
            readers.emplace_back(ReadPipe, AsHandle(pipe), &device, isOutput, &queue);
            ++open;
        }
    }
    uint64_t stopBy = 0;
    bool killed = false;
    while (open > 0) {
        Chunk chunk;
        if (queue.Pop(chunk, 100)) {
            if (chunk.bytes.empty()) --open;
            received(*chunk.device, chunk.isOutput, chunk.bytes);
        }
        if (!InterruptionRequested() || killed) continue;
        const uint64_t now = Clock::RealNowMs();
        if (stopBy == 0) stopBy = now + kStopGraceMs;
        if (now < stopBy) continue;
        for (const DeviceProcess& device : devices)
            if (device.process != -1)
                ::TerminateProcess(AsHandle(device.process), kExitInterrupted);
        killed = true;
    }
    for (std::thread& reader : readers) reader.join();
    for (DeviceProcess& device : devices) {
        for (std::intptr_t* pipe : {&device.out, &device.err}) {
            if (*pipe != -1) ::CloseHandle(AsHandle(*pipe));
            *pipe = -1;
        }
        if (device.process == -1) continue;
        const HANDLE process = AsHandle(device.process);
        ::WaitForSingleObject(process, INFINITE);
        DWORD code = 0;
        if (::GetExitCodeProcess(process, &code)) device.exit = static_cast<int>(code);
        ::CloseHandle(process);
        device.process = -1;
    }
}

// The console gives each of its processes the same Ctrl+C or close event.
void PassSignalToDevices(int) {}

}  // namespace merivane::cli
