#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace merivane::sim {

// The --log record: every byte the device received ("RX") and sent ("TX"),
// one line per read or write, with control and non-ASCII bytes written as
// \r, \n or \xNN so that the file stays readable text; notes ("--") between
// them, among them each command line the device took ("-- command TEXT").
class TrafficLog {
  public:
    TrafficLog() = default;
    ~TrafficLog();
    TrafficLog(const TrafficLog&) = delete;
    TrafficLog& operator=(const TrafficLog&) = delete;

    bool Open(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }
    void Received(std::string_view bytes) { Write("RX", bytes); }
    void Sent(std::string_view bytes) { Write("TX", bytes); }
    void Note(std::string_view text);

    // The escaped form of `bytes` as it appears in the log.
    static std::string Escape(std::string_view bytes);

  private:
    void Write(const char* direction, std::string_view bytes);
    FILE* file_ = nullptr;
};

}  // namespace merivane::sim
