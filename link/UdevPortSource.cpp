#include "link/UdevPortSource.h"

#include <libudev.h>

#include <memory>
#include <string>

#include "link/TtyDescription.h"

namespace merivane {
namespace {

struct UdevUnref {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
using UdevPtr = std::unique_ptr<udev, UdevUnref>;
using EnumeratePtr = std::unique_ptr<udev_enumerate, UdevUnref>;
using DevicePtr = std::unique_ptr<udev_device, UdevUnref>;

std::string Text(const char* value) { return value ? std::string(value) : std::string(); }

// Reads one tty's properties, links and USB ancestry. Parents returned by
// libudev belong to their child and are not released here.
TtyDescription Describe(udev_device* device) {
    TtyDescription tty;
    tty.devnode = Text(udev_device_get_devnode(device));
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(device)) {
        tty.props[Text(udev_list_entry_get_name(entry))] = Text(udev_list_entry_get_value(entry));
    }
    udev_list_entry_foreach(entry, udev_device_get_devlinks_list_entry(device)) {
        tty.devlinks.push_back(Text(udev_list_entry_get_name(entry)));
    }
    if (udev_device* usbDevice =
            udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device")) {
        tty.usbDeviceSyspath = Text(udev_device_get_syspath(usbDevice));
        tty.manufacturer = Text(udev_device_get_sysattr_value(usbDevice, "manufacturer"));
    }
    if (udev_device* usbInterface =
            udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_interface")) {
        tty.interfaceClass = Text(udev_device_get_sysattr_value(usbInterface, "bInterfaceClass"));
        tty.interfaceProtocol =
            Text(udev_device_get_sysattr_value(usbInterface, "bInterfaceProtocol"));
    }
    return tty;
}

}  // namespace

bool UdevPortSource::ListModemPorts(std::vector<PortEntry>& entries) {
    UdevPtr context(udev_new());
    if (!context) return false;
    EnumeratePtr enumerate(udev_enumerate_new(context.get()));
    if (!enumerate) return false;
    if (udev_enumerate_add_match_subsystem(enumerate.get(), "tty") < 0) return false;
    if (udev_enumerate_scan_devices(enumerate.get()) < 0) return false;

    std::vector<TtyDescription> ttys;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
        const char* syspath = udev_list_entry_get_name(entry);
        if (!syspath) continue;
        // A device that vanished since the scan is simply not listed.
        DevicePtr device(udev_device_new_from_syspath(context.get(), syspath));
        if (device) ttys.push_back(Describe(device.get()));
    }
    entries = ModemPortEntries(ttys);
    return true;
}

std::unique_ptr<PortSource> MakeSystemPortSource() { return std::make_unique<UdevPortSource>(); }

}  // namespace merivane
