#pragma once

#include <string>
#include <vector>

namespace merivane {

// What the system says of a port, for a support report.
struct PortFacts {
    std::string device;                   // the device file the port's name leads to
    std::string propertySource;           // who tells the properties: "udev" or "registry"
    std::vector<std::string> properties;  // its "NAME=VALUE" properties there
    std::vector<std::string> byIdLinks;   // its /dev/serial/by-id links
};

// The facts of `port` (a device path or a link to one; on Windows a COM port). Empty
// lists where the system does not know the device (a pseudo-terminal, a COM port no
// modem is attached to) or there is no by-id link.
PortFacts ReadPortFacts(const std::string& port);

}  // namespace merivane
