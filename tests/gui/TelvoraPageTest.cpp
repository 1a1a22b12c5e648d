#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "SettingsPageHarness.h"
#include "pages/CellPage.h"
#include "pages/TelvoraPage.h"
#include "settings/DelayFields.h"
#include "settings/ServerScheme.h"

namespace merivane {
namespace {

using test::PageHarness;

// The device-initiated connection (first) and the server-initiated one (index 3).
std::string Connections(const std::string& address, const std::string& reconnect,
                        const std::string& retry, const char* deviceOn = "on",
                        const char* serverOn = "on", const char* lkaOn = "on") {
    return std::string("<mgmtconnection index=\"1\"><connectionEnabled>") + deviceOn +
           "</connectionEnabled><ServerArray index=\"1\"><serverAddress>" + address +
           "</serverAddress></ServerArray><clientConnectionReconnectTimeout>" + reconnect +
           "</clientConnectionReconnectTimeout></mgmtconnection>"
           "<mgmtconnection index=\"3\"><connectionEnabled>" +
           serverOn + "</connectionEnabled><lastKnownAddressUpdateEnabled>" + lkaOn +
           "</lastKnownAddressUpdateEnabled><ServerArray index=\"1\"><serverAddress>"
           "lka.example</serverAddress></ServerArray><clientConnectionReconnectTimeout>" +
           retry + "</clientConnectionReconnectTimeout></mgmtconnection>";
}

TEST(ServerSchemeTest, TheSchemeIsTakenOffForShowingAndPutBackForStoring) {
    const std::pair<const char*, const char*> stored[] = {
        {"en://devices.example", "devices.example"},
        {"en://", ""},
        {"devices.example", "devices.example"},  // without the scheme: as it is
        {"https://devices.example", "https://devices.example"},
        {"open://devices.example", "open://devices.example"},
        {"", ""},
    };
    for (const auto& [device, shown] : stored)
        EXPECT_EQ(StripServerScheme(device), shown) << device;

    const std::pair<const char*, const char*> typed[] = {
        {"devices.example", "en://devices.example"},
        {"en://devices.example", "en://devices.example"},  // already there: as typed
        {"https://devices.example", "https://devices.example"},
        {"", ""},
    };
    for (const auto& [shown, device] : typed) EXPECT_EQ(AddServerScheme(shown), device) << shown;
}

struct SplitCase {
    int stored;
    DelayFields fields;
};

TEST(DelayFieldsTest, ADelaySplitsIntoSwitchHoursMinutesAndSecondsAndJoinsBack) {
    const SplitCase cases[] = {
        {3725, {1, 1, 2, 5}},   {0, {1, 0, 0, 0}},      {59, {1, 0, 0, 59}},
        {36000, {1, 10, 0, 0}}, {-32768, {0, 0, 1, 0}}, {-1, {0, 0, 1, 0}},
    };
    for (const SplitCase& c : cases) {
        const DelayFields fields = SplitDelay(c.stored);
        EXPECT_EQ(fields.enabled, c.fields.enabled) << c.stored;
        EXPECT_EQ(fields.hours, c.fields.hours) << c.stored;
        EXPECT_EQ(fields.minutes, c.fields.minutes) << c.stored;
        EXPECT_EQ(fields.seconds, c.fields.seconds) << c.stored;
        EXPECT_EQ(JoinDelay(fields), c.stored < 0 ? kDelayOff : c.stored) << c.stored;
    }
    EXPECT_EQ(JoinDelay({1, 0, 60, 60}), 3660);
    EXPECT_EQ(JoinDelay({0, 1, 2, 5}), -32768);
}

class TelvoraPageTest : public ::testing::Test {
  protected:
    QLineEdit* Edit(const char* name) { return h_.Get<QLineEdit>(name); }
    QCheckBox* Check(const char* name) { return h_.Get<QCheckBox>(name); }
    // The enabled state of the named controls, as a string of 1 and 0.
    std::string Enabled(std::initializer_list<const char*> names) {
        std::string states;
        for (const char* name : names) states += h_.Get(name)->isEnabled() ? '1' : '0';
        return states;
    }
    std::string Fields(const char* prefix) {
        const std::string p = prefix;
        return (Edit((p + "HoursEdit").c_str())->text() + " " +
                Edit((p + "MinutesEdit").c_str())->text() + " " +
                Edit((p + "SecondsEdit").c_str())->text())
            .toStdString();
    }
    void Type(const char* edit, const char* text) {
        Edit(edit)->setText(text);
        h_.page.SetModified();
    }

    PageHarness<TelvoraPage> h_;
};

constexpr std::initializer_list<const char*> kReconnectFields = {
    "reconnectHoursEdit", "reconnectMinutesEdit", "reconnectSecondsEdit"};
constexpr std::initializer_list<const char*> kRetryFields = {"retryHoursEdit", "retryMinutesEdit",
                                                             "retrySecondsEdit"};

TEST_F(TelvoraPageTest, BothConnectionsShowTheirBoxesLabelsAndDelayRows) {
    h_.Show(Connections("en://devices.example", "3725", "-32768"));
    for (const char* name : {"deviceInitiatedCheck",
                             "deviceServerAddressEdit",
                             "deviceServerAddressLabel",
                             "autoReconnectCheck",
                             "reconnectAfterLabel",
                             "reconnectHoursEdit",
                             "reconnectHoursLabel",
                             "reconnectMinutesEdit",
                             "reconnectMinutesLabel",
                             "reconnectSecondsEdit",
                             "reconnectSecondsLabel",
                             "serverInitiatedCheck",
                             "lkaCheck",
                             "lkaServerAddressEdit",
                             "lkaServerAddressLabel",
                             "retryCheck",
                             "retryAfterLabel",
                             "retryHoursEdit",
                             "retryMinutesEdit",
                             "retrySecondsEdit",
                             "retrySecondsLabel"})
        EXPECT_TRUE(h_.Visible(name)) << name;
    EXPECT_TRUE(test::FrameShown(h_.Get<QGroupBox>("deviceInitiatedGroup")));
    EXPECT_TRUE(test::FrameShown(h_.Get<QGroupBox>("serverInitiatedGroup")));
    EXPECT_EQ(h_.Get<QGroupBox>("serverInitiatedGroup")->title(),
              "Server-initiated Management Connection ");

    EXPECT_EQ(Edit("deviceServerAddressEdit")->text(), "devices.example");
    EXPECT_EQ(Edit("lkaServerAddressEdit")->text(), "lka.example");
    EXPECT_TRUE(Check("autoReconnectCheck")->isChecked());
    EXPECT_EQ(Fields("reconnect"), "1 2 5");
    EXPECT_EQ(Enabled(kReconnectFields), "111");
    EXPECT_FALSE(Check("retryCheck")->isChecked());
    EXPECT_EQ(Fields("retry"), "0 1 0");
    EXPECT_EQ(Enabled(kRetryFields), "000");
    EXPECT_FALSE(h_.page.IsModified());
}

TEST_F(TelvoraPageTest, ASingleConnectionShowsOnlyTheDeviceInitiatedBox) {
    h_.Show(
        "<mgmtconnection><connectionEnabled>on</connectionEnabled>"
        "<clientConnectionReconnectTimeout>0</clientConnectionReconnectTimeout></mgmtconnection>");
    EXPECT_TRUE(test::FrameShown(h_.Get<QGroupBox>("deviceInitiatedGroup")));
    EXPECT_TRUE(h_.Visible("reconnectHoursEdit"));
    // No address setting: neither the edit nor its label.
    EXPECT_FALSE(h_.Visible("deviceServerAddressEdit"));
    EXPECT_FALSE(h_.Visible("deviceServerAddressLabel"));
    EXPECT_FALSE(h_.Visible("serverInitiatedGroup"));
    EXPECT_EQ(Fields("reconnect"), "0 0 0");
    EXPECT_TRUE(Check("autoReconnectCheck")->isChecked());
}

TEST_F(TelvoraPageTest, AtFirstOnlyTheDelayFieldsFollowTheirSwitches) {
    h_.Show(Connections("en://devices.example", "-32768", "60", "off", "off", "off"));
    EXPECT_EQ(Enabled(kReconnectFields), "000");
    EXPECT_EQ(Enabled(kRetryFields), "111");
    EXPECT_EQ(Enabled({"deviceServerAddressEdit", "autoReconnectCheck", "lkaCheck",
                       "lkaServerAddressEdit", "retryCheck"}),
              "11111");
}

struct SwitchCase {
    const char* what;
    const char* click;
    const char* expected;  // enabled states of kSwitchControls after the click
};

void PrintTo(const SwitchCase& c, std::ostream* os) { *os << c.what; }

// Address, auto reconnect, its three fields, LKA switch, LKA address, retry, its three fields.
constexpr std::initializer_list<const char*> kSwitchControls = {
    "deviceServerAddressEdit", "autoReconnectCheck", "reconnectHoursEdit",   "reconnectMinutesEdit",
    "reconnectSecondsEdit",    "lkaCheck",           "lkaServerAddressEdit", "retryCheck",
    "retryHoursEdit",          "retryMinutesEdit",   "retrySecondsEdit"};

class TelvoraSwitchTest : public TelvoraPageTest,
                          public ::testing::WithParamInterface<SwitchCase> {};

// Everything starts on; one click switches one thing off.
TEST_P(TelvoraSwitchTest, EachSwitchEnablesAndDisablesWhatItGoverns) {
    const SwitchCase& c = GetParam();
    h_.Show(Connections("en://devices.example", "3725", "60"));
    EXPECT_EQ(Enabled(kSwitchControls), "11111111111");
    test::ClickBox(Check(c.click));
    EXPECT_EQ(Enabled(kSwitchControls), c.expected);
    EXPECT_TRUE(h_.page.IsModified());
    // Clicking again switches it back on.
    test::ClickBox(Check(c.click));
    EXPECT_EQ(Enabled(kSwitchControls), "11111111111");
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TelvoraSwitchTest,
    ::testing::Values(SwitchCase{"auto reconnect", "autoReconnectCheck", "11000111111"},
                      SwitchCase{"device-initiated", "deviceInitiatedCheck", "00000111111"},
                      SwitchCase{"LKA retry", "retryCheck", "11111111000"},
                      SwitchCase{"LKA updates", "lkaCheck", "11111100000"},
                      SwitchCase{"server-initiated", "serverInitiatedCheck", "11111000000"}));

TEST_F(TelvoraPageTest, SwitchingOnAgainFollowsTheInnerSwitches) {
    h_.Show(Connections("en://devices.example", "-32768", "-32768", "off", "off", "off"));
    test::ClickBox(Check("deviceInitiatedCheck"));
    // Auto reconnect is off: its fields stay disabled.
    EXPECT_EQ(Enabled({"deviceServerAddressEdit", "autoReconnectCheck"}), "11");
    EXPECT_EQ(Enabled(kReconnectFields), "000");
    test::ClickBox(Check("serverInitiatedCheck"));
    // LKA updates are off: the address, retry and its fields are disabled again.
    EXPECT_EQ(Enabled({"lkaCheck", "lkaServerAddressEdit", "retryCheck"}), "100");
    EXPECT_EQ(Enabled(kRetryFields), "000");
}

TEST_F(TelvoraPageTest, TheDelaysAreWrittenAsSeconds) {
    h_.Show(Connections("en://devices.example", "-32768", "-32768"));
    // Leaving with the switches off keeps -32768.
    h_.Apply();
    EXPECT_EQ(h_.Value("mgmtconnection/clientConnectionReconnectTimeout"), "-32768");
    EXPECT_EQ(h_.Value("mgmtconnection&index=3/clientConnectionReconnectTimeout"), "-32768");

    test::ClickBox(Check("autoReconnectCheck"));
    Type("reconnectHoursEdit", "0");
    Type("reconnectMinutesEdit", "60");
    Type("reconnectSecondsEdit", "60");
    test::ClickBox(Check("retryCheck"));
    h_.Apply();
    EXPECT_EQ(h_.Value("mgmtconnection/clientConnectionReconnectTimeout"), "3660");
    EXPECT_EQ(h_.Value("mgmtconnection&index=3/clientConnectionReconnectTimeout"), "60");

    test::ClickBox(Check("retryCheck"));
    h_.Apply();
    EXPECT_EQ(h_.Value("mgmtconnection&index=3/clientConnectionReconnectTimeout"), "-32768");
    EXPECT_EQ(h_.applies, 3);
}

struct RangeCase {
    const char* edit;
    const char* text;
    const char* message;
};

void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.edit << " \"" << c.text << '"'; }

class TelvoraRangeTest : public TelvoraPageTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(TelvoraRangeTest, AFieldOutOfRangeKeepsThePageUntilCorrected) {
    const RangeCase& c = GetParam();
    h_.Show(Connections("en://devices.example", "3725", "60"));
    const std::string before = h_.Sent();
    Type(c.edit, c.text);

    h_.Apply();
    EXPECT_EQ(h_.applies, 0);
    EXPECT_EQ(h_.Sent(), before);
    EXPECT_FALSE(h_.SwitchTo(1));
    EXPECT_EQ(h_.prompts.Texts(), (std::vector<std::string>{c.message, c.message}));
    EXPECT_TRUE(h_.page.IsModified());

    Type(c.edit, "7");
    EXPECT_TRUE(h_.SwitchTo(1));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, TelvoraRangeTest,
    ::testing::Values(
        // Each message names its field: the two rows look alike.
        RangeCase{"reconnectHoursEdit", "10",
                  "Reconnect after hours: Please enter an integer between 0 and 9."},
        RangeCase{"reconnectMinutesEdit", "61",
                  "Reconnect after minutes: Please enter an integer between 0 and 60."},
        RangeCase{"reconnectSecondsEdit", "", "Reconnect after seconds: Please enter an integer."},
        RangeCase{"retryHoursEdit", "", "Retry after hours: Please enter an integer."},
        RangeCase{"retryMinutesEdit", "99",
                  "Retry after minutes: Please enter an integer between 0 and 60."},
        RangeCase{"retrySecondsEdit", "61",
                  "Retry after seconds: Please enter an integer between 0 and 60."}));

TEST_F(TelvoraPageTest, ADelayOfTenHoursOrMoreMustBeBroughtBackBeforeLeaving) {
    h_.Show(Connections("en://devices.example", "36000", "60"));
    EXPECT_EQ(Fields("reconnect"), "10 0 0");
    EXPECT_FALSE(h_.SwitchTo(1));
    EXPECT_EQ(h_.prompts.Texts(), std::vector<std::string>{"Reconnect after hours: Please enter "
                                                           "an integer between 0 and 9."});
    Type("reconnectHoursEdit", "9");
    EXPECT_TRUE(h_.SwitchTo(1));
}

TEST_F(TelvoraPageTest, TheTimeFieldsTakeOnlyFigures) {
    h_.Show(Connections("en://devices.example", "3725", "60"));
    QLineEdit* hours = Edit("reconnectHoursEdit");
    hours->clear();
    QTest::keyClicks(hours, "-1a2 ");
    EXPECT_EQ(hours->text(), "12");
    QLineEdit* address = Edit("deviceServerAddressEdit");
    address->clear();
    QTest::keyClicks(address, "a-1");
    EXPECT_EQ(address->text(), "a-1");
}

TEST_F(TelvoraPageTest, TheServerAddressKeepsWhatTheDeviceAndTheUserGave) {
    // Typed without a scheme: stored with "en://".
    h_.Show(Connections("en://devices.example", "3725", "60"));
    Type("deviceServerAddressEdit", "other.example");
    h_.Apply();
    EXPECT_EQ(h_.Value("mgmtconnection/ServerArray&index=1/serverAddress"), "en://other.example");
    EXPECT_EQ(Edit("deviceServerAddressEdit")->text(), "other.example");

    // Typed with a scheme: stored as typed.
    for (const char* typed : {"en://typed.example", "https://typed.example", ""}) {
        Type("deviceServerAddressEdit", typed);
        h_.Apply();
        EXPECT_EQ(h_.Value("mgmtconnection/ServerArray&index=1/serverAddress"), typed);
    }
    // The LKA address has no scheme rules.
    Type("lkaServerAddressEdit", "lka2.example");
    h_.Apply();
    EXPECT_EQ(h_.Value("mgmtconnection&index=3/ServerArray&index=1/serverAddress"), "lka2.example");
}

TEST(TelvoraAddressTest, AStoredAddressIsShownWithoutTheSchemeOrAsItIs) {
    struct Case {
        const char* stored;
        const char* shown;
        const char* written;  // by an Apply without changes
    };
    const Case cases[] = {
        {"en://devices.example", "devices.example", "en://devices.example"},
        // Without the scheme: shown as it is, and stored as a host the user typed.
        {"devices.example", "devices.example", "en://devices.example"},
        // Another scheme: kept whole.
        {"tcp://devices.example:3197", "tcp://devices.example:3197", "tcp://devices.example:3197"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        PageHarness<TelvoraPage> h;
        h.Show(Connections(c.stored, "3725", "60"));
        EXPECT_EQ(h.Get<QLineEdit>("deviceServerAddressEdit")->text(), c.shown) << c.stored;
        h.Apply();
        EXPECT_EQ(h.Value("mgmtconnection/ServerArray&index=1/serverAddress"), c.written)
            << c.stored;
    }
}

TEST_F(TelvoraPageTest, EveryControlHasADistinctName) {
    const std::pair<const char*, const char*> named[] = {
        {"deviceServerAddressEdit", "Device-initiated Server Address"},
        {"lkaServerAddressEdit", "LKA Server Address"},
        {"reconnectHoursEdit", "Reconnect after hours"},
        {"reconnectMinutesEdit", "Reconnect after minutes"},
        {"reconnectSecondsEdit", "Reconnect after seconds"},
        {"retryHoursEdit", "Retry after hours"},
        {"retryMinutesEdit", "Retry after minutes"},
        {"retrySecondsEdit", "Retry after seconds"},
        {"retryCheck", "Retry if the LKA update fails"},
    };
    for (const auto& [object, name] : named)
        EXPECT_EQ(test::AccessibleName(h_.Get(object)).toStdString(), name) << object;
    EXPECT_EQ(h_.page.Caption(), "Remote Management");
    EXPECT_EQ(h_.Get<QLabel>("retryAfterLabel")->text(), "Rety after:");
}

// Against the simulated device.
TEST(TelvoraPageDeviceTest, ApplySendsTheConnections) {
    test::DeviceHarness<TelvoraPage, CellPage> h;
    ASSERT_TRUE(h.Start(sim::Product::Brivel));
    auto* address = h.Get<QLineEdit>("deviceServerAddressEdit");
    EXPECT_EQ(address->text(), "devices.varik.example");
    EXPECT_EQ(h.page.reconnectTimeout, 3725);

    address->setText("mgmt.varik.example");
    h.Get<QLineEdit>("reconnectMinutesEdit")->setText("10");
    test::ClickBox(h.Get<QCheckBox>("serverInitiatedCheck"));
    test::ClickBox(h.Get<QCheckBox>("lkaCheck"));
    test::ClickBox(h.Get<QCheckBox>("retryCheck"));
    h.Apply();
    EXPECT_EQ(h.Setting("mgmtconnection/ServerArray&index=1/serverAddress"),
              "en://mgmt.varik.example");
    EXPECT_EQ(h.Setting("mgmtconnection/clientConnectionReconnectTimeout"), "4205");
    EXPECT_EQ(h.Setting("mgmtconnection&index=3/connectionEnabled"), "on");
    EXPECT_EQ(h.Setting("mgmtconnection&index=3/lastKnownAddressUpdateEnabled"), "on");
    EXPECT_EQ(h.Setting("mgmtconnection&index=3/clientConnectionReconnectTimeout"), "60");
    // The page shows what the device reported back.
    EXPECT_EQ(h.page.serverAddress, "mgmt.varik.example");
    EXPECT_EQ(h.page.reconnectTimeout, 4205);
    EXPECT_EQ(h.page.retryTimeout, 60);
    EXPECT_EQ(h.page.serverInitiated, 1);
    EXPECT_TRUE(h.prompts.ShownPrompts().empty());
}

}  // namespace
}  // namespace merivane
