#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace merivane {

// The optional command log: framed blocks of every command and answer,
// appended to a file readable by its owner only (it records passwords and
// the SIM PIN). Every block is written in one go and flushed.
class CommandLog {
  public:
    CommandLog() = default;
    ~CommandLog();
    CommandLog(const CommandLog&) = delete;
    CommandLog& operator=(const CommandLog&) = delete;

    // Creates the log, or appends to one of this user's that only they can read and
    // write. False, with the reason in `why` (worded to follow "cannot be written ("), for
    // a symbolic link, another user's file or one others may read.
    bool Open(const std::string& path, std::string* why = nullptr);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    void WriteRunHeader(std::string_view displayName, std::string_view versionText,
                        int64_t wallSeconds);
    void WriteCommand(int64_t start, int64_t end, std::string_view command);
    void WriteRawResponse(int64_t start, int64_t end, int timeoutMs, std::string_view raw);
    void WriteParsedResponse(std::string_view parsed, bool verdict);
    void WriteUploadStart(std::string_view destination, long size);
    void WriteUploadChunk(long sent, long size, long written);
    void WriteUploadFinished(long sent, long size);

    static const char kStarLine[];

  private:
    void Write(std::string_view text);
    void Flush();
    FILE* file_ = nullptr;
};

}  // namespace merivane
