#include "settings/SecretSettings.h"

#include <algorithm>

#include "settings/SettingPath.h"

namespace merivane {
namespace {

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

}  // namespace

bool IsSecretSetting(std::string_view path) {
    const std::vector<PathComponent> components = ParseSettingPath(path);
    if (components.empty()) return false;
    const std::string name = Lowered(components.back().element);
    return name == "pin" || name.find("password") != std::string::npos ||
           name.find("passphrase") != std::string::npos;
}

std::string ShownSettingValue(std::string_view path, const std::string& value) {
    return !value.empty() && IsSecretSetting(path) ? std::string(kSecretMask) : value;
}

}  // namespace merivane
