#include <gtest/gtest.h>

#include "SettingsTestSupport.h"
#include "settings/DocumentParser.h"
#include "settings/SettingsComparison.h"
#include "settings/SettingsRequest.h"

namespace merivane {
namespace {

TEST(SettingsComparison, OnlySettingsBothHoldAreComparedEachByThePathThatFindsIt) {
    const DocumentStore device = test::LoadedStore();
    const XmlDocPtr file = ParseDocumentText(
        "<rci_request version='1.1'><set_setting>"
        // The same value; a second element of one name, which no path reaches.
        "<mobile_simple><apn>internet</apn><pin>9999</pin><apn>other</apn></mobile_simple>"
        // Selectors on two levels.
        "<mgmtconnection index='3'><ServerArray index='2'><serverAddress>c9</serverAddress>"
        "</ServerArray></mgmtconnection>"
        // A group the device lacks; one whose path stops at the device's first "group"; a
        // setting where the device has a group.
        "<serial><baud>9600</baud></serial><group><wanted>z</wanted></group>"
        "<mobile_stats>x</mobile_stats>"
        "</set_setting></rci_request>",
        "file.cfg");
    const std::vector<SettingDifference> expected = {
        {"mobile_simple/pin", "1234", "9999"},
        {"mgmtconnection&index=3/ServerArray&index=2/serverAddress", "c2", "c9"},
    };
    EXPECT_EQ(CompareSettings(device.SettingsNode(), SetSettingElement(file.get())->children),
              expected);
}

}  // namespace
}  // namespace merivane
