#include "support/TerminalText.h"

#include <cstdint>
#include <cstdio>

namespace merivane {
namespace {

// The code point of the UTF-8 sequence at `text[at]` and its length, or length 0 when
// the bytes there are no well-formed sequence (overlong forms and surrogates included).
struct Decoded {
    uint32_t codePoint = 0;
    size_t length = 0;
};

Decoded DecodeAt(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    uint32_t value = 0;
    uint32_t smallest = 0;
    if (lead < 0x80) return {lead, 1};
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, smallest = 0x10000;
    } else {
        return {};
    }
    if (at + length > text.size()) return {};
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return {};
        value = (value << 6) | (next & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {};
    return {value, length};
}

bool IsBidiControl(uint32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

void AppendEscape(std::string& out, const char* format, unsigned value) {
    char escaped[16];
    std::snprintf(escaped, sizeof escaped, format, value);
    out += escaped;
}

}  // namespace

std::string TerminalSafe(std::string_view text, LineBreaks lineBreaks) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const Decoded decoded = DecodeAt(text, at);
        if (decoded.length == 0) {
            AppendEscape(out, "\\x%02x", static_cast<unsigned char>(text[at]));
            ++at;
            continue;
        }
        const uint32_t c = decoded.codePoint;
        const bool keptBreak = c == '\n' && lineBreaks == LineBreaks::Keep;
        if ((c < 0x20 && c != '\t' && !keptBreak) || c == 0x7F) {
            AppendEscape(out, "\\x%02x", c);
        } else if ((c >= 0x80 && c <= 0x9F) || IsBidiControl(c)) {
            AppendEscape(out, "\\u%04x", c);
        } else {
            out.append(text.substr(at, decoded.length));
        }
        at += decoded.length;
    }
    return out;
}

}  // namespace merivane
