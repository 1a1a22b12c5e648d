#include "sim/TrafficLog.h"

#include <cinttypes>

#include "support/Clock.h"

namespace merivane::sim {

TrafficLog::~TrafficLog() {
    if (file_) fclose(file_);
}

bool TrafficLog::Open(const std::string& path) {
    if (file_) fclose(file_);
    file_ = fopen(path.c_str(), "w");
    return file_ != nullptr;
}

std::string TrafficLog::Escape(std::string_view bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c >= 0x7f) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void TrafficLog::Write(const char* direction, std::string_view bytes) {
    if (!file_ || bytes.empty()) return;
    fprintf(file_, "%" PRIu64 " %s %zu ", TheClock().NowMs(), direction, bytes.size());
    const std::string text = Escape(bytes);
    fwrite(text.data(), 1, text.size(), file_);
    fputc('\n', file_);
    fflush(file_);
}

void TrafficLog::Note(std::string_view text) {
    if (!file_) return;
    fprintf(file_, "%" PRIu64 " -- %.*s\n", TheClock().NowMs(), static_cast<int>(text.size()),
            text.data());
    fflush(file_);
}

}  // namespace merivane::sim
