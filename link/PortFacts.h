#pragma once

#include <string>
#include <vector>

namespace merivane {

// What the system says of a port, for a support report.
struct PortFacts {
    std::string device;                   // the device file the port's name leads to
    std::vector<std::string> properties;  // udev's "NAME=VALUE" properties of it
    std::vector<std::string> byIdLinks;   // its /dev/serial/by-id links
};

// The facts of `port` (a device path or a link to one). Empty lists where udev does not
// know the device (a pseudo-terminal) or there is no by-id link.
PortFacts ReadPortFacts(const std::string& port);

}  // namespace merivane
