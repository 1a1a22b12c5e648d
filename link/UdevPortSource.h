#pragma once

#include <vector>

#include "link/PortSource.h"

namespace merivane {

// Finds modem ports among the system's ttys through the device manager
// (libudev): USB serial devices, named by their maker as the hardware
// database, the device's own descriptors and its sysfs strings give it.
class UdevPortSource : public PortSource {
  public:
    bool ListModemPorts(std::vector<PortEntry>& entries) override;
};

}  // namespace merivane
