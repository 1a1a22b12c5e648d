#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace merivane::sim {

// A line of the device's own command set: "AT&usbinterface=" (any case),
// a command number and, for some, a comma and an argument.
struct DeviceCommand {
    int number = 0;
    bool hasArgument = false;
    std::string argument;

    // Nothing when `line` is not a device command.
    static std::optional<DeviceCommand> Parse(std::string_view line);
    // The argument without the double quotes around it, when it has them.
    std::string Unquoted() const;
};

}  // namespace merivane::sim
