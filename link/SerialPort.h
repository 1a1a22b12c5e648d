#pragma once

#include <cstddef>
#include <string>

namespace merivane {

// Why an open failed, so that detection can tell the user what to do.
enum class PortError {
    None,
    NotFound,          // no such device node
    PermissionDenied,  // the user may not open it (group dialout, udev rule)
    Busy,              // another program holds it
    NotATerminal,      // not a serial device
    ConfigFailed,      // line settings could not be applied
    Other,
};

// One serial port, opened exclusively and set to raw 115200 8N1 with software
// flow control off. Reads poll: they return what is waiting, or nothing after
// the poll time. One implementation per platform: termios on POSIX systems
// (SerialPortPosix.cpp), the Win32 communications functions on Windows
// (SerialPortWin.cpp), where a port is named COM7 and opened as \\.\COM7.
class SerialPort {
  public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens `path` exclusively and configures the line. Closes any port held before.
    bool Open(const std::string& path);
    // Opens and releases `path` at once: proves that the port can be had. The
    // line is left in raw mode, so the open does not echo the device's output.
    static bool CanOpen(const std::string& path, PortError* why = nullptr, int* sysErrno = nullptr);
    // Releases the exclusive hold and closes. Safe to call when closed.
    void Close();
    bool IsOpen() const;

    // Waits up to `pollRealMs` real milliseconds for data and reads what is
    // waiting (at most `max` bytes). Returns the number of bytes read (0 when
    // the line stayed silent), or -1 when the read failed: an error, a hang-up,
    // or the other side gone.
    long Read(char* buffer, size_t max, int pollRealMs);
    // Writes the bytes, waiting for room up to `timeoutRealMs`. Returns the
    // number of bytes written (fewer on time-out), or -1 on failure.
    long Write(const char* data, size_t size, int timeoutRealMs);
    // Discards pending input and output.
    void Purge();

    PortError LastError() const { return lastError_; }
    // The system's error number of the last failure (errno; GetLastError() on Windows).
    int LastErrno() const { return lastErrno_; }

  private:
#ifdef _WIN32
    void* handle_ = nullptr;  // the port's HANDLE; null while closed
    // The read and write time-outs in force, so that they are set only when they change.
    unsigned long readConstantMs_ = 0;
    unsigned long writeConstantMs_ = 0;
    bool pollingSet_ = false;
    bool ApplyTimeouts(unsigned long readConstantMs, unsigned long writeConstantMs);
#else
    int fd_ = -1;
#endif
    PortError lastError_ = PortError::None;
    int lastErrno_ = 0;
};

// A short human text for an open failure (for detailed messages and logs).
std::string DescribePortError(PortError error, int sysErrno);

}  // namespace merivane
