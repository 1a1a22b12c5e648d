#pragma once

#include <string>

namespace merivane {

// The host's facts for a support report, as "name: value" lines: the tool's version, the
// operating system and kernel, the port with its by-id link and udev properties, whether
// ModemManager runs (it opens modem ports and can disturb the device) and the user's
// groups (the port's group must be among them).
std::string HostFactsText(const std::string& port);

// The platform's half of those facts, one value each.
namespace host {
std::string OperatingSystemName();
std::string KernelText();
std::string ModemManagerText();  // "running", "not running", or why it does not apply
std::string UserAndGroupsText();
}  // namespace host

}  // namespace merivane
