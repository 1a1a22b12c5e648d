#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/TtyDescription.h"

namespace merivane {
namespace {

using Props = std::map<std::string, std::string>;
using Names = std::vector<std::string>;

TtyDescription UsbTty(const std::string& devnode, Props props, const std::string& usbDevice = "",
                      const std::string& manufacturer = "") {
    TtyDescription tty;
    tty.devnode = devnode;
    tty.props = std::move(props);
    tty.usbDeviceSyspath = usbDevice;
    tty.manufacturer = manufacturer;
    return tty;
}

struct ProviderCase {
    const char* name;
    TtyDescription tty;
    Names providers;
};

TEST(TtyDescriptionTest, ProvidersInOrderWithoutBlanksOrRepeats) {
    const std::string usb = "/sys/devices/pci0000:00/usb1/1-2";
    const std::vector<ProviderCase> cases = {
        {"database name first",
         UsbTty("/dev/ttyACM0",
                {{"ID_VENDOR_FROM_DATABASE", "Sierra Wireless, Inc."},
                 {"ID_VENDOR", "Sierra_Wireless"}},
                usb),
         {"Sierra Wireless, Inc.", "Sierra Wireless"}},
        {"underscores read as blanks",
         UsbTty("/dev/ttyACM0", {{"ID_VENDOR", "Varik_Systems_GmbH"}}, usb),
         {"Varik Systems GmbH"}},
        {"encoded vendor decoded, same plain name not repeated",
         UsbTty("/dev/ttyUSB0", {{"ID_VENDOR_ENC", "WAVECOM\\x20"}, {"ID_VENDOR", "WAVECOM"}}, usb),
         {"WAVECOM"}},
        {"newer prefixed properties used when the plain ones are missing",
         UsbTty("/dev/ttyUSB0", {{"ID_USB_VENDOR_ENC", "Varik\\x20Modem"}, {"ID_BUS", "usb"}}, usb),
         {"Varik Modem"}},
        {"sysfs manufacturer only", UsbTty("/dev/ttyACM3", {}, usb, "Varik"), {"Varik"}},
        {"empty and blank names skipped, names trimmed",
         UsbTty("/dev/ttyACM0",
                {{"ID_VENDOR_FROM_DATABASE", ""}, {"ID_VENDOR", "__"}, {"ID_VENDOR_ENC", "  "}},
                usb, " Sierra Wireless "),
         {"Sierra Wireless"}},
        {"all three sources",
         UsbTty("/dev/ttyACM0", {{"ID_VENDOR_FROM_DATABASE", "Varik Inc."}, {"ID_VENDOR", "VARIK"}},
                usb, "Varik Networks"),
         {"Varik Inc.", "VARIK", "Varik Networks"}},
    };
    for (const ProviderCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<PortEntry> entries = ModemPortEntries({c.tty});
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].providers, c.providers);
        EXPECT_EQ(entries[0].port, c.tty.devnode);
    }
}

TEST(TtyDescriptionTest, OnlyIdentifiedTtysWithANodeAreOffered) {
    const std::vector<TtyDescription> ttys = {
        UsbTty("/dev/tty1", {}),                                     // virtual console
        UsbTty("/dev/ttyS0", {{"ID_PATH", "platform-serial8250"}}),  // built-in UART
        UsbTty("", {{"ID_VENDOR", "Varik"}}, "/sys/usb/1-1"),        // no device node
        UsbTty("/dev/ttyUSB1", {{"ID_BUS", "usb"}}),
        UsbTty("/dev/ttyACM7", {}, "/sys/usb/1-4"),
    };
    const std::vector<PortEntry> entries = ModemPortEntries(ttys);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].port, "/dev/ttyUSB1");
    EXPECT_EQ(entries[1].port, "/dev/ttyACM7");
}

TEST(TtyDescriptionTest, StableLinkPreferredOverNode) {
    TtyDescription tty = UsbTty("/dev/ttyACM0", {{"ID_VENDOR", "Varik"}}, "/sys/usb/1-1");
    tty.devlinks = {"/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0",
                    "/dev/serial/by-id/usb-Varik_Router_123-if00"};
    EXPECT_EQ(ModemPortEntries({tty})[0].port, "/dev/serial/by-id/usb-Varik_Router_123-if00");

    tty.devlinks = {"/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0"};
    EXPECT_EQ(ModemPortEntries({tty})[0].port, "/dev/ttyACM0");
}

struct CompositeCase {
    const char* name;
    std::vector<TtyDescription> ttys;
    Names ports;
};

TtyDescription Interface(const std::string& devnode, const std::string& usbDevice, Props props,
                         const std::string& cls = "ff", const std::string& protocol = "ff") {
    TtyDescription tty = UsbTty(devnode, std::move(props), usbDevice, "Varik");
    tty.interfaceClass = cls;
    tty.interfaceProtocol = protocol;
    return tty;
}

TEST(TtyDescriptionTest, CompositeModemOffersItsAtInterface) {
    const std::string modem = "/sys/usb/1-1";
    const std::string other = "/sys/usb/1-2";
    const std::vector<CompositeCase> cases = {
        {"no hint: every tty",
         {Interface("/dev/ttyUSB0", modem, {}), Interface("/dev/ttyUSB1", modem, {}),
          Interface("/dev/ttyUSB2", modem, {})},
         {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2"}},
        {"primary AT port hint",
         {Interface("/dev/ttyUSB0", modem, {}), Interface("/dev/ttyUSB1", modem, {}),
          Interface("/dev/ttyUSB2", modem, {{"ID_MM_PORT_TYPE_AT_PRIMARY", "1"}})},
         {"/dev/ttyUSB2"}},
        {"primary wins over secondary",
         {Interface("/dev/ttyUSB0", modem, {{"ID_MM_PORT_TYPE_AT_SECONDARY", "1"}}),
          Interface("/dev/ttyUSB1", modem, {{"ID_MM_PORT_TYPE_AT_PRIMARY", "1"}})},
         {"/dev/ttyUSB1"}},
        {"secondary alone",
         {Interface("/dev/ttyUSB0", modem, {}),
          Interface("/dev/ttyUSB1", modem, {{"ID_MM_PORT_TYPE_AT_SECONDARY", "1"}})},
         {"/dev/ttyUSB1"}},
        {"CDC ACM interface with AT protocol",
         {Interface("/dev/ttyACM0", modem, {}, "02", "01"),
          Interface("/dev/ttyACM1", modem, {}, "02", "00")},
         {"/dev/ttyACM0"}},
        {"hint on one device leaves another device's ttys alone",
         {Interface("/dev/ttyUSB0", modem, {}),
          Interface("/dev/ttyUSB1", modem, {{"ID_MM_PORT_TYPE_AT_PRIMARY", "1"}}),
          Interface("/dev/ttyUSB2", other, {}), Interface("/dev/ttyUSB3", other, {})},
         {"/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB3"}},
        {"a hint value other than 1 is no hint",
         {Interface("/dev/ttyUSB0", modem, {{"ID_MM_PORT_TYPE_AT_PRIMARY", "0"}}),
          Interface("/dev/ttyUSB1", modem, {})},
         {"/dev/ttyUSB0", "/dev/ttyUSB1"}},
    };
    for (const CompositeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Names ports;
        for (const PortEntry& e : ModemPortEntries(c.ttys)) ports.push_back(e.port);
        EXPECT_EQ(ports, c.ports);
    }
}

TEST(TtyDescriptionTest, SamePortListedOnce) {
    TtyDescription first = UsbTty("/dev/ttyACM0", {{"ID_VENDOR", "Varik"}}, "/sys/usb/1-1");
    first.devlinks = {"/dev/serial/by-id/usb-Varik-if00"};
    TtyDescription second = UsbTty("/dev/ttyACM9", {{"ID_VENDOR", "Other"}}, "/sys/usb/1-3");
    second.devlinks = {"/dev/serial/by-id/usb-Varik-if00"};
    const std::vector<PortEntry> entries = ModemPortEntries({first, second, first});
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].providers, Names{"Varik"});
}

TEST(TtyDescriptionTest, DecodesEscapes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Sierra\\x20Wireless\\x20Inc.", "Sierra Wireless Inc."},
        {"plain", "plain"},
        {"\\x4a\\x4B", "JK"},
        {"trailing\\x2", "trailing\\x2"},
        {"bad\\xzz", "bad\\xzz"},
        {"back\\slash", "back\\slash"},
        {"\\x5cx41", "\\x41"},  // a decoded backslash does not start another escape
        {"", ""},
    };
    for (const auto& [encoded, decoded] : cases) {
        EXPECT_EQ(DecodeUdevText(encoded), decoded) << encoded;
    }
}

}  // namespace
}  // namespace merivane
