#include "settings/SettingBinding.h"

namespace merivane {

std::vector<std::string> SplitChoices(const std::string& choices) {
    std::vector<std::string> entries;
    size_t begin = 0;
    while (true) {
        const size_t end = choices.find('\n', begin);
        entries.push_back(choices.substr(begin, end - begin));
        if (end == std::string::npos) break;
        begin = end + 1;
    }
    return entries;
}

}  // namespace merivane
