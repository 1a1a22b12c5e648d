#pragma once

#include <map>
#include <string>
#include <vector>

#include "link/PortSource.h"

namespace merivane {

// What the device manager knows about one tty, gathered before any decision
// is made, so that the choice of modem ports can be made (and tested) without
// the device manager.
struct TtyDescription {
    // The tty's device properties (ID_VENDOR, ID_MM_PORT_TYPE_AT_PRIMARY, ...).
    std::map<std::string, std::string> props;
    // The device node (/dev/ttyACM0) and the symbolic links to it.
    std::string devnode;
    std::vector<std::string> devlinks;
    // The USB device the tty belongs to: ttys with the same path are
    // interfaces of one device. Empty when the tty is not on USB.
    std::string usbDeviceSyspath;
    // The USB device's own "manufacturer" string.
    std::string manufacturer;
    // Class and protocol of the tty's USB interface, as hexadecimal text ("02", "01").
    std::string interfaceClass;
    std::string interfaceProtocol;
};

// The modem ports among `ttys`, in their order: ttys of USB (or otherwise
// identified) devices, each with the names under which its maker appears and
// its most stable device path. Where a device with several ttys marks its AT
// command interface, only that tty is offered; else all of them are.
std::vector<PortEntry> ModemPortEntries(const std::vector<TtyDescription>& ttys);

// Decodes the "\xNN" escapes of the device manager's encoded property values.
std::string DecodeUdevText(const std::string& encoded);

}  // namespace merivane
