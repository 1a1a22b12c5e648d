#include "settings/SettingLimits.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "settings/BandTable.h"
#include "settings/DelayFields.h"
#include "settings/SettingBinding.h"
#include "settings/SettingPath.h"
#include "support/TextRules.h"

namespace merivane {
namespace {

constexpr int kLowestPort = 1;
constexpr int kHighestPort = 65535;
// The longest delay the Remote Management page can set: 9 hours, 60 minutes, 60 seconds.
constexpr int kLongestDelay = 9 * 3600 + 60 * 60 + 60;

SettingLimit Port(const char* path) { return {path, nullptr, kLowestPort, kHighestPort}; }
SettingLimit Choice(const char* path, const std::string& choices) { return {path, &choices}; }
SettingLimit Delay(const char* path) { return {path, nullptr, 0, kLongestDelay, true, kDelayOff}; }

const std::array<SettingLimit, 13>& Limits() {
    static const std::array<SettingLimit, 13> limits = {
        Choice("serial/baud", BaudRateChoices()),
        Choice("serial/databits", DataBitsChoices()),
        Choice("serial/parity", ParityChoices()),
        Choice("serial/stopbits", StopBitsChoices()),
        Choice("serial/flowcontrol", FlowControlChoices()),
        Port("telnet_server/port"),
        Port("tcp_server/port"),
        Port("ssh_server/port"),
        Port("securesocket/port"),
        Port("udp_server/port"),
        Choice("mobile_simple/mobile_gsm_band", BandCodes()),
        Delay("mgmtconnection/clientConnectionReconnectTimeout"),
        Delay("mgmtconnection&index=3/clientConnectionReconnectTimeout"),
    };
    return limits;
}

// A whole decimal number as a setting carries it: an optional "-" and figures, nothing else.
bool ReadWholeNumber(const std::string& text, int& number) {
    const size_t figures = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() == figures || text.find_first_not_of("0123456789", figures) != text.npos)
        return false;
    errno = 0;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return false;
    number = static_cast<int>(value);
    return true;
}

std::string ChoiceList(const std::string& choices) {
    std::string listed;
    for (const std::string& choice : SplitChoices(choices))
        listed += (listed.empty() ? "" : ", ") + choice;
    return listed;
}

}  // namespace

const std::string& BaudRateChoices() {
    static const std::string choices =
        "300\n600\n1200\n2400\n4800\n9600\n19200\n38400\n57600\n115200\n230400";
    return choices;
}
const std::string& DataBitsChoices() {
    static const std::string choices = "8\n7\n6\n5";
    return choices;
}
const std::string& ParityChoices() {
    static const std::string choices = "None\nOdd\nEven";
    return choices;
}
const std::string& StopBitsChoices() {
    static const std::string choices = "1\n2";
    return choices;
}
const std::string& FlowControlChoices() {
    static const std::string choices = "None\nHardware";
    return choices;
}

const SettingLimit* FindSettingLimit(const std::string& path) {
    for (const SettingLimit& limit : Limits())
        if (EqualsIgnoringCase(limit.path, path)) return &limit;
    return nullptr;
}

const SettingLimit* FindSettingLimit(xmlNode* start, const std::string& path) {
    const xmlNode* element = ResolveSettingPath(start, path);
    if (element == nullptr) return FindSettingLimit(path);
    for (const SettingLimit& limit : Limits())
        if (ResolveSettingPath(start, limit.path) == element) return &limit;
    return nullptr;
}

std::string SettingValueProblem(const SettingLimit& limit, const std::string& value) {
    if (limit.choices != nullptr) {
        // Case aside, as the pages' lists read the device's values ("none" is "None").
        for (const std::string& choice : SplitChoices(*limit.choices))
            if (EqualsIgnoringCase(value, choice)) return {};
        return "one of " + ChoiceList(*limit.choices);
    }
    int number = 0;
    if (ReadWholeNumber(value, number) &&
        ((number >= limit.min && number <= limit.max) || (limit.hasOff && number == limit.off)))
        return {};
    std::string takes =
        "a whole number from " + std::to_string(limit.min) + " to " + std::to_string(limit.max);
    if (limit.hasOff) takes += ", or " + std::to_string(limit.off) + " for off";
    return takes;
}

}  // namespace merivane
