#include "settings/SettingText.h"

#include <cstdio>

namespace merivane {
namespace {

std::string ByteText(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

// The length of the UTF-8 sequence at `at` and its code point; 0 when the
// bytes there are no valid sequence (overlong forms and surrogates included).
size_t DecodeUtf8(std::string_view text, size_t at, char32_t& code) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length;
    char32_t least;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::string SettingTextProblem(std::string_view value, bool singleLine) {
    for (size_t at = 0; at < value.size();) {
        char32_t code = 0;
        const size_t length = DecodeUtf8(value, at, code);
        if (length == 0)
            return "byte " + ByteText(static_cast<unsigned char>(value[at])) + " is not UTF-8 text";
        const bool lineBreak = code == '\n' || code == '\r';
        if (code < 0x20 && code != '\t' && !lineBreak)
            return "it holds the control character " + ByteText(static_cast<unsigned char>(code));
        if (code == 0xFFFE || code == 0xFFFF) return "it holds a character that is not text";
        if (lineBreak && singleLine) return "it holds a line break";
        at += length;
    }
    return {};
}

}  // namespace merivane
