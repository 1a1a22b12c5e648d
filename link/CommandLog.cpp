#include "link/CommandLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "support/SaveTarget.h"

namespace merivane {

const char CommandLog::kStarLine[] =
    "*******************************************************************************\r\n";

namespace {

std::string Format(const char* format, auto... args) {
    const int n = std::snprintf(nullptr, 0, format, args...);
    if (n <= 0) return {};
    std::string text(static_cast<size_t>(n), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

// The log prints times as signed 32-bit decimals.
long Stamp(int64_t seconds) { return static_cast<long>(static_cast<int32_t>(seconds)); }

}  // namespace

CommandLog::~CommandLog() { Close(); }

namespace {

bool Refuse(int fd, std::string* why, std::string reason) {
    if (fd >= 0) ::close(fd);
    if (why != nullptr) *why = std::move(reason);
    return false;
}

// A log already at the path is appended to only when nobody else could have planted or
// read it: a regular file of this user's own, with one name, that no one else may read
// or write.
bool ExistingLogIsPrivate(int fd, std::string* why) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return Refuse(-1, why, std::strerror(errno));
    if (!S_ISREG(info.st_mode)) return Refuse(-1, why, "it is not a regular file");
    if (info.st_uid != ::geteuid()) return Refuse(-1, why, "it belongs to another user");
    if (info.st_nlink != 1) return Refuse(-1, why, "it has more than one name");
    if ((info.st_mode & 066) != 0)
        return Refuse(-1, why, "others may read or write it; make it readable by you only");
    return true;
}

}  // namespace

bool CommandLog::Open(const std::string& path, std::string* why) {
    Close();
    // A new log is made here and now, readable by its owner only (it records passwords and
    // the SIM PIN). A link is never followed, and opening without waiting keeps a FIFO
    // without a reader from blocking the run.
    constexpr int kFlags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    int fd = ::open(path.c_str(), kFlags | O_CREAT | O_EXCL, 0600);
    if (fd < 0 && errno == EEXIST) {
        fd = ::open(path.c_str(), kFlags);
        if (fd < 0 && errno == ELOOP) return Refuse(-1, why, kSymbolicLinkReason);
        if (fd >= 0 && !ExistingLogIsPrivate(fd, why)) {
            ::close(fd);
            return false;
        }
    }
    if (fd < 0) return Refuse(-1, why, std::strerror(errno));
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return Refuse(fd, why, std::strerror(errno));
    file_ = ::fdopen(fd, "ab");
    if (!file_) return Refuse(fd, why, std::strerror(errno));
    return true;
}

void CommandLog::Close() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void CommandLog::Write(std::string_view text) {
    if (file_) std::fwrite(text.data(), 1, text.size(), file_);
}

void CommandLog::Flush() {
    if (file_) std::fflush(file_);
}

void CommandLog::WriteRunHeader(std::string_view displayName, std::string_view versionText,
                                int64_t wallSeconds) {
    if (!file_) return;
    const time_t t = static_cast<time_t>(wallSeconds);
    char when[64] = "";
    tm local{};
    if (localtime_r(&t, &local)) asctime_r(&local, when);  // ctime form, ends in a newline
    std::string block = kStarLine;
    block += std::string(displayName) + " " + std::string(versionText) + " STARTED AT " + when;
    block += kStarLine;
    Write(block);
    Flush();
}

void CommandLog::WriteCommand(int64_t start, int64_t end, std::string_view command) {
    if (!file_) return;
    std::string block = Format("%ld -> %ld | COMMAND:\r\n", Stamp(start), Stamp(end));
    block += kStarLine;
    block += command;
    block += "\r\n";
    block += kStarLine;
    Write(block);
    Flush();
}

void CommandLog::WriteRawResponse(int64_t start, int64_t end, int timeoutMs, std::string_view raw) {
    if (!file_) return;
    std::string head = Format("%ld -> %ld (Timeout: %d ms) | RAW RESPONSE:\r\n", Stamp(start),
                              Stamp(end), timeoutMs);
    head += kStarLine;
    Write(head);
    Write(raw);
    Write("\r\n");
    Write(kStarLine);
    Flush();
}

void CommandLog::WriteParsedResponse(std::string_view parsed, bool verdict) {
    if (!file_) return;
    std::string head = "PARSED RESPONSE:\r\n";
    head += kStarLine;
    Write(head);
    Write(parsed);
    std::string tail = "\r\n";
    tail += kStarLine;
    tail += Format("PARSED RESULT: %s\r\n", verdict ? "SUCCESS" : "FAILURE");
    tail += kStarLine;
    Write(tail);
    Flush();
}

void CommandLog::WriteUploadStart(std::string_view destination, long size) {
    if (!file_) return;
    std::string block =
        Format("Uploading file \"%s\" with %ld bytes.\r\n", std::string(destination).c_str(), size);
    block += "\r\n";
    block += kStarLine;
    Write(block);
    Flush();
}

void CommandLog::WriteUploadChunk(long sent, long size, long written) {
    if (!file_) return;
    Write(Format("Uploading %ld/%ld bytes (%ld) complete...\r\n", sent, size, written));
    Flush();
}

void CommandLog::WriteUploadFinished(long sent, long size) {
    if (!file_) return;
    std::string block = Format("Finished. %ld/%ld bytes uploaded.\r\n", sent, size);
    block += kStarLine;
    block += "\r\n";
    Write(block);
    Flush();
}

}  // namespace merivane
