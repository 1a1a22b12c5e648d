#include <gtest/gtest.h>
#include <sys/stat.h>

#include "link/UdevPortSource.h"

namespace merivane {
namespace {

// Needs no modem: it shows that the device list can be read and that whatever
// it holds comes out as usable entries. Without a running device manager the
// list still comes from sysfs, only without the manager's properties.
TEST(UdevPortSourceTest, ListsThisMachinesModemPorts) {
    struct stat st {};
    if (::stat("/sys/class/tty", &st) != 0) GTEST_SKIP() << "no sysfs tty class here";
    UdevPortSource source;
    std::vector<PortEntry> entries{PortEntry{{"left over"}, "/dev/none"}};
    ASSERT_TRUE(source.ListModemPorts(entries));
    for (const PortEntry& entry : entries) {
        EXPECT_EQ(entry.port.rfind("/dev/", 0), 0u) << entry.port;
        EXPECT_NE(entry.port, "/dev/none");
    }
}

}  // namespace
}  // namespace merivane
