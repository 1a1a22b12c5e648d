#pragma once

#include <libxml/tree.h>

#include <string>

namespace merivane {

// The values a setting can carry. A setting the table does not list takes any text.
struct SettingLimit {
    const char* path;  // as the pages bind it
    // A choice list ("\n"-separated, compared without regard to case); null for a whole number from
    // `min` to `max`, which `off` (when set) also passes as the device's "switched off".
    const std::string* choices = nullptr;
    int min = 0;
    int max = 0;
    bool hasOff = false;
    int off = 0;
};

// The serial line's choices, in the order the Serial Port page lists them.
const std::string& BaudRateChoices();
const std::string& DataBitsChoices();
const std::string& ParityChoices();
const std::string& StopBitsChoices();
const std::string& FlowControlChoices();

// The limit of the setting bound under `path` (compared as paths are, without regard to
// case); null for a setting that takes any text.
const SettingLimit* FindSettingLimit(const std::string& path);
// The limit of the setting that `path` reaches from `start`: a path spelled another way
// ("TELNET_SERVER/Port") reaches the same element as the listed one.
const SettingLimit* FindSettingLimit(xmlNode* start, const std::string& path);

// Empty when `value` fits `limit`; else what the setting takes ("a whole number from 1 to
// 65535", "one of 300, 600, ...").
std::string SettingValueProblem(const SettingLimit& limit, const std::string& value);

}  // namespace merivane
