#include "app/OpsMessages.h"

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

std::string CannotSendFileText(const std::string& name, const std::string& why) {
    return FillIn("The file %s cannot be sent to the device. %s", {name, why});
}

}  // namespace merivane
