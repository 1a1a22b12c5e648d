#pragma once

#include <string>
#include <string_view>

namespace merivane {

// What shows in place of a secret setting's value in text, JSON and diffs.
inline constexpr char kSecretMask[] = "********";

// True for the settings that hold secrets (the APN password, the SIM PIN and any other
// password or passphrase): a setting path whose last element is named "pin", or whose
// last element's name holds "password" or "passphrase", without regard to case.
bool IsSecretSetting(std::string_view path);

// `value` as it may be shown: the mask for a secret setting's non-empty value, else the
// value itself. An empty secret shows as empty, which says only that none is set.
std::string ShownSettingValue(std::string_view path, const std::string& value);

}  // namespace merivane
