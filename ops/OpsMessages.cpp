#include "ops/OpsMessages.h"

namespace merivane {

std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string text;
    text.reserve(pattern.size() + 64);
    auto next = values.begin();
    size_t from = 0;
    for (size_t at; (at = pattern.find("%s", from)) != std::string_view::npos; from = at + 2) {
        text.append(pattern.substr(from, at - from));
        if (next != values.end()) text.append(*next++);
    }
    text.append(pattern.substr(from));
    return text;
}

std::string DeviceAnswerExcerpt(std::string_view answer) {
    if (answer.empty()) return "nothing (the device did not answer)";
    std::string text;
    size_t shown = 0;
    size_t at = 0;
    for (; at < answer.size() && shown < kExcerptChars; ++at, ++shown) {
        const auto c = static_cast<unsigned char>(answer[at]);
        if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\t') {
            text += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            static const char kHex[] = "0123456789ABCDEF";
            text += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
        } else {
            text += static_cast<char>(c);
            // The rest of a UTF-8 character counts with its first byte.
            while (at + 1 < answer.size() &&
                   (static_cast<unsigned char>(answer[at + 1]) & 0xC0) == 0x80)
                text += answer[++at];
        }
    }
    if (at < answer.size()) text += "...";
    return text;
}

std::string CannotSendFileText(const std::string& name, const std::string& why) {
    return FillIn("The file %s cannot be sent to the device. %s", {name, why});
}

}  // namespace merivane
