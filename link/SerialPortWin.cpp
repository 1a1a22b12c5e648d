#include <windows.h>

#include <algorithm>
#include <string>

#include "link/PortErrorText.h"
#include "link/SerialPort.h"

namespace merivane {
namespace {

// The open time-outs (read interval 250 ms, nothing else) and, for reads, the
// polling ones: a read returns at once with what is waiting, or with nothing
// after the read constant.
constexpr COMMTIMEOUTS kOpenTimeouts{250, 0, 0, 0, 0};
// Everything PurgeComm can clear: pending output and input, aborted and discarded.
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

HANDLE AsHandle(void* handle) { return static_cast<HANDLE>(handle); }

// "COM7" is opened as "\\.\COM7", which also reaches COM10 and above; a name
// that already is a device path is taken as it is.
std::string DevicePath(const std::string& name) {
    return name.rfind("\\\\", 0) == 0 ? name : "\\\\.\\" + name;
}

PortError ErrorFromOpen(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_NOT_READY:
        case ERROR_DEVICE_NOT_CONNECTED:
            return PortError::NotFound;
        // A port another program has open is refused as access denied.
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return PortError::Busy;
        default:
            return PortError::Other;
    }
}

struct Acquired {
    HANDLE handle = INVALID_HANDLE_VALUE;
    PortError error = PortError::None;
    DWORD sysError = 0;
};

// Opens the port for reading and writing with no sharing, so that no other
// program can have it while we do. A handle whose state cannot be read is no
// port: a vanished device may still open but then fails every call.
Acquired AcquirePort(const std::string& name, DCB* state) {
    Acquired result;
    const HANDLE handle = ::CreateFileA(DevicePath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        result.sysError = ::GetLastError();
        result.error = ErrorFromOpen(result.sysError);
        return result;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle, &dcb)) {
        result.sysError = ::GetLastError();
        result.error =
            result.sysError == ERROR_NOT_READY ? PortError::NotFound : PortError::NotATerminal;
        ::CloseHandle(handle);
        return result;
    }
    if (state) *state = dcb;
    result.handle = handle;
    return result;
}

// 115200 8N1; every other field keeps what the driver reports.
bool ConfigureLine(HANDLE handle, DCB state) {
    state.BaudRate = CBR_115200;
    state.ByteSize = 8;
    state.Parity = NOPARITY;
    state.StopBits = ONESTOPBIT;
    // XON/XOFF would swallow the bytes 0x11 and 0x13 of binary transfers.
    state.fOutX = FALSE;
    state.fInX = FALSE;
    state.fBinary = TRUE;
    return ::SetCommState(handle, &state) != 0;
}

}  // namespace

SerialPort::~SerialPort() { Close(); }

bool SerialPort::IsOpen() const { return handle_ != nullptr; }

bool SerialPort::Open(const std::string& path) {
    Close();
    DCB state{};
    Acquired acquired = AcquirePort(path, &state);
    if (acquired.handle == INVALID_HANDLE_VALUE) {
        lastError_ = acquired.error;
        lastErrno_ = static_cast<int>(acquired.sysError);
        return false;
    }
    COMMTIMEOUTS open = kOpenTimeouts;
    if (!ConfigureLine(acquired.handle, state) || !::SetCommTimeouts(acquired.handle, &open)) {
        lastErrno_ = static_cast<int>(::GetLastError());
        lastError_ = PortError::ConfigFailed;
        ::CloseHandle(acquired.handle);
        return false;
    }
    handle_ = acquired.handle;
    pollingSet_ = false;
    lastError_ = PortError::None;
    lastErrno_ = 0;
    return true;
}

bool SerialPort::CanOpen(const std::string& path, PortError* why, int* sysErrno) {
    Acquired acquired = AcquirePort(path, nullptr);
    if (why) *why = acquired.error;
    if (sysErrno) *sysErrno = static_cast<int>(acquired.sysError);
    if (acquired.handle == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(acquired.handle);
    return true;
}

void SerialPort::Close() {
    if (!handle_) return;
    ::CloseHandle(AsHandle(handle_));
    handle_ = nullptr;
}

bool SerialPort::ApplyTimeouts(unsigned long readConstantMs, unsigned long writeConstantMs) {
    if (pollingSet_ && readConstantMs == readConstantMs_ && writeConstantMs == writeConstantMs_)
        return true;
    COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, readConstantMs, 0, writeConstantMs};
    if (!::SetCommTimeouts(AsHandle(handle_), &timeouts)) {
        pollingSet_ = false;
        return false;
    }
    readConstantMs_ = readConstantMs;
    writeConstantMs_ = writeConstantMs;
    pollingSet_ = true;
    return true;
}

long SerialPort::Read(char* buffer, size_t max, int pollRealMs) {
    if (!handle_) {
        lastErrno_ = ERROR_INVALID_HANDLE;
        return -1;
    }
    // A vanished device reads as silence: only the port's status tells it is gone.
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(AsHandle(handle_), &errors, &status)) {
        lastErrno_ = static_cast<int>(::GetLastError());
        return -1;
    }
    if (max == 0) {
        ::Sleep(static_cast<DWORD>(pollRealMs > 0 ? pollRealMs : 0));
        return 0;
    }
    // Ask for exactly what is queued, or for one byte when nothing is: under the
    // polling time-outs that read waits up to the poll time for the first byte
    // and never for more.
    const DWORD poll = static_cast<DWORD>(pollRealMs > 0 ? pollRealMs : 0);
    if (!ApplyTimeouts(poll == 0 ? 1 : poll, writeConstantMs_)) {
        lastErrno_ = static_cast<int>(::GetLastError());
        return -1;
    }
    const DWORD want =
        status.cbInQue > 0 ? static_cast<DWORD>(std::min<size_t>(status.cbInQue, max)) : 1;
    DWORD got = 0;
    if (!::ReadFile(AsHandle(handle_), buffer, want, &got, nullptr)) {
        lastErrno_ = static_cast<int>(::GetLastError());
        return -1;
    }
    return static_cast<long>(got);
}

long SerialPort::Write(const char* data, size_t size, int timeoutRealMs) {
    if (!handle_) {
        lastErrno_ = ERROR_INVALID_HANDLE;
        return -1;
    }
    const DWORD limit = static_cast<DWORD>(timeoutRealMs > 0 ? timeoutRealMs : 1);
    if (!ApplyTimeouts(pollingSet_ ? readConstantMs_ : 100, limit)) {
        lastErrno_ = static_cast<int>(::GetLastError());
        return -1;
    }
    size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(AsHandle(handle_), data + done, chunk, &written, nullptr)) {
            lastErrno_ = static_cast<int>(::GetLastError());
            return -1;
        }
        if (written == 0) break;  // the write time-out passed
        done += written;
    }
    return static_cast<long>(done);
}

void SerialPort::Purge() {
    if (handle_) ::PurgeComm(AsHandle(handle_), kPurgeAll);
}

std::string PortSystemReason(PortError, int sysErrno) {
    if (sysErrno == 0) return {};
    char reason[256] = "";
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                               static_cast<DWORD>(sysErrno), 0, reason, sizeof reason, nullptr);
    while (n > 0 && (reason[n - 1] == '\n' || reason[n - 1] == '\r' || reason[n - 1] == '.')) --n;
    return n > 0 ? std::string(reason, n) : "error " + std::to_string(sysErrno);
}

// A COM port needs no permission beyond the user's own; a busy one is said as such.
std::string PortErrorAdvice(PortError) { return {}; }

}  // namespace merivane
