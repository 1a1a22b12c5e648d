// The device information that the desktop page and the command line both show: the state
// bindings, the signal meter and the link indicator.

#include <gtest/gtest.h>

#include "app/DeviceStatus.h"
#include "settings/DocumentStore.h"

namespace merivane {
namespace {

TEST(DeviceStatusTest, ReadsTheStateBindingsAndLeavesMissingOnesEmpty) {
    DocumentStore store;
    store.LoadStateDocument(
        "<rci_reply version=\"1.1\"><query_state><device_info><model>Brivel BG-310</model>"
        "<firmware>3.2</firmware></device_info><mobile_stats><iccid>8901</iccid>"
        "<quality max=\"5\">4</quality><quality max=\"3\">1</quality></mobile_stats>"
        "</query_state></rci_reply>");
    const DeviceStatus status = ReadDeviceStatus(store);
    EXPECT_EQ(status.model, "Brivel BG-310");
    EXPECT_EQ(status.firmware, "3.2");
    EXPECT_EQ(status.iccid, "8901");
    EXPECT_EQ(status.threeStepQuality, "1");
    EXPECT_EQ(status.fiveStepQuality, "4");
    EXPECT_EQ(status.fourStepQuality, "");
    EXPECT_EQ(status.ipAddress, "");
    EXPECT_EQ(ReadDeviceStatus(DocumentStore()).model, "");
}

TEST(DeviceStatusTest, TheMeterFollowsTheProductAndTheScaleTheStateNames) {
    struct Case {
        const char* model;
        int quality;        // the modem's signal quality
        const char* three;  // three-step quality text
        const char* five;   // five-step quality text
        int scale;
        int lit;
    };
    const Case cases[] = {
        // The tracker: the modem's quality in five bars, whatever the state says.
        {"Korvane VT-220", 99, "3", "", 5, 0},
        {"Korvane VT-220", 18, "", "", 5, 5},
        {"Korvane VT-220", 30, "", "", 5, 5},
        {"Korvane VT-220", 31, "", "", 5, 0},
        {"Korvane VT-220", 2, "", "", 5, 0},
        {"Korvane VT-220", 3, "", "", 5, 1},
        {"Korvane VT-220", 10, "", "", 5, 2},
        {"Korvane VT-220", 13, "", "", 5, 3},
        {"Korvane VT-220", 14, "", "", 5, 4},
        // Case matters: this is no tracker, and without a quality it shows no bars.
        {"korvane vt-220", 18, "", "", 0, 0},
        // Others: the three-step quality wins over the five-step one.
        {"Brivel BG-310", 18, "2", "5", 3, 2},
        {"Brivel BG-310", 18, "4", "", 3, 0},
        {"Brivel BG-310", 18, "-1", "", 3, 0},
        {"Brivel BG-310", 18, " 3x", "", 3, 3},
        {"Brivel BG-310", 18, "", "5", 5, 5},
        {"Brivel BG-310", 18, "", "6", 5, 0},
        {"", 18, "", "", 0, 0},
    };
    for (const Case& c : cases) {
        DeviceStatus status;
        status.model = c.model;
        status.threeStepQuality = c.three;
        status.fiveStepQuality = c.five;
        const SignalMeter meter = SignalMeterFor(status, c.quality);
        EXPECT_EQ(meter.scale, c.scale) << c.model << " " << c.quality << " " << c.three;
        EXPECT_EQ(meter.lit, c.lit) << c.model << " " << c.quality << " " << c.three;
    }
}

TEST(DeviceStatusTest, TheLinkIsUnlitOnlyForTheUnsetAddress) {
    EXPECT_FALSE(LinkIndicatorLit("0.0.0.0"));
    EXPECT_FALSE(LinkIndicatorLit("0.0.0.0 "));
    EXPECT_TRUE(LinkIndicatorLit("10.1.2.3"));
    EXPECT_TRUE(LinkIndicatorLit(""));
    EXPECT_TRUE(LinkIndicatorLit("00.0.0.0"));
}

}  // namespace
}  // namespace merivane
