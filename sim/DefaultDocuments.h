#pragma once

#include <string>

#include "sim/DeviceOptions.h"

namespace merivane::sim {

// The factory contents of a device's three documents, as XML text without
// white space between elements. Each root holds the groups directly
// ("mobile_simple", "device_info", "radio", ...); the roots' own names are
// the simulator's and never reach the tool.

// Settings: mobile, remote management, serial port and its services, Python
// auto-start, and on the vehicle tracker the OBD-II values.
std::string DefaultSettingsXml(Product product);
// State: device information, mobile statistics, the mobile IP address, and
// the mesh radio module's state when the device has one.
std::string DefaultStateXml(const DeviceOptions& options);
// The mesh radio module's settings.
std::string DefaultRadioXml();

// True when the device carries a mesh radio module (only gateways can).
bool HasRadioModule(const DeviceOptions& options);

}  // namespace merivane::sim
