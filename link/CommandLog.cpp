#include "link/CommandLog.h"

#include <ctime>

#include "support/PrivateFile.h"

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

bool CommandLog::Open(const std::string& path, std::string* why) {
    Close();
    file_ = OpenPrivateAppend(path, why);
    return file_ != nullptr;
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
