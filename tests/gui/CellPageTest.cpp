#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>

#include "SettingsPageHarness.h"
#include "pages/CellPage.h"
#include "pages/ObdPage.h"
#include "settings/BandTable.h"
#include "settings/SettingBinding.h"

namespace merivane {
namespace {

using test::PageHarness;

std::string Mobile(const std::string& content) {
    return "<mobile_simple>" + content + "</mobile_simple>";
}

const std::string kFullMobile = Mobile(
    "<apn>internet</apn><username>user</username><password>secret</password>"
    "<pin>1234</pin><mobile_gsm_band>9</mobile_gsm_band>");

TEST(BandTableTest, EveryCodeOfTheTableHasItsTextAndBack) {
    const std::pair<const char*, const char*> table[] = {
        {"1", "850 MHz"},
        {"2", "900 MHz"},
        {"4", "1800 MHz"},
        {"6", "900/1800 MHz (Europe/World)"},
        {"7", "quad-band mode 850/900E (extended)/1800/1900 MHz"},
        {"8", "1900 MHz"},
        {"9", "850/1900 MHz (North America)"},
        {"10", "900/1900 MHz"},
    };
    for (const auto& [code, text] : table) {
        EXPECT_EQ(BandCodeToText(code), text) << code;
        EXPECT_EQ(BandTextToCode(text), code) << text;
    }
    // The stored code is read as atoi reads it.
    EXPECT_EQ(BandCodeToText(" 9"), "850/1900 MHz (North America)");
    EXPECT_EQ(BandCodeToText("6 bands"), "900/1800 MHz (Europe/World)");
    // Shown texts are compared exactly.
    EXPECT_EQ(BandTextToCode("850 mhz"), "");
    EXPECT_EQ(BandTextToCode("850 MHz "), "");
    EXPECT_EQ(BandTextToCode(""), "");
}

TEST(BandTableTest, ACodeOutsideTheTableIsKeptAsItsOwnText) {
    for (const char* code : {"3", "5", "11", "12", "0", "-1", "auto", ""}) {
        const std::string text = BandCodeToText(code);
        EXPECT_EQ(text, std::string("Unknown band (code ") + code + ")");
        EXPECT_EQ(BandTextToCode(text), code);
    }
    EXPECT_EQ(BandTextToCode("Unknown band (code 12"), "");
}

TEST(BandTableTest, TheListShowsNorthAmericaFirstAndQuadBandLast) {
    EXPECT_EQ(
        SplitChoices(BandChoices()),
        (std::vector<std::string>{"850/1900 MHz (North America)", "900/1800 MHz (Europe/World)",
                                  "850 MHz", "900 MHz", "1800 MHz", "1900 MHz", "900/1900 MHz",
                                  "quad-band mode 850/900E (extended)/1800/1900 MHz"}));
}

class CellPageTest : public ::testing::Test {
  protected:
    PageHarness<CellPage> h_;
};

TEST_F(CellPageTest, AllSettingsShowTheirControlsLabelsAndBoxesButNeverTheInactivityControls) {
    h_.Show(kFullMobile);
    for (const char* name : {"apnEdit", "apnLabel", "usernameEdit", "usernameLabel", "passwordEdit",
                             "passwordLabel", "simPinEdit", "simPinLabel", "bandBox", "bandLabel"})
        EXPECT_TRUE(h_.Visible(name)) << name;
    EXPECT_TRUE(test::FrameShown(h_.Get<QGroupBox>("providerGroup")));
    EXPECT_TRUE(test::FrameShown(h_.Get<QGroupBox>("bandGroup")));
    for (const char* name : {"connectionGroup", "reestablishCheck", "inactivityTimeoutEdit",
                             "inactivityTimeoutLabel", "inactivitySecondsLabel"})
        EXPECT_FALSE(h_.Visible(name)) << name;

    EXPECT_EQ(h_.Get<QLineEdit>("apnEdit")->text(), "internet");
    EXPECT_EQ(h_.Get<QLineEdit>("usernameEdit")->text(), "user");
    EXPECT_EQ(h_.Get<QLineEdit>("passwordEdit")->text(), "secret");
    EXPECT_EQ(h_.Get<QLineEdit>("simPinEdit")->text(), "1234");
    EXPECT_EQ(h_.Get<QComboBox>("bandBox")->count(), 8);
    EXPECT_EQ(h_.Get<QComboBox>("bandBox")->currentText(), "850/1900 MHz (North America)");
    EXPECT_FALSE(h_.page.IsModified());
}

TEST_F(CellPageTest, AMissingPinHidesItsEditAndLabel) {
    h_.Show(Mobile("<apn>internet</apn>"));
    EXPECT_TRUE(h_.Visible("apnEdit"));
    EXPECT_TRUE(h_.Visible("apnLabel"));
    EXPECT_TRUE(test::FrameShown(h_.Get<QGroupBox>("providerGroup")));
    EXPECT_FALSE(h_.Visible("simPinEdit"));
    EXPECT_FALSE(h_.Visible("simPinLabel"));
    EXPECT_FALSE(h_.Visible("bandGroup"));
}

TEST_F(CellPageTest, WithoutAnApnTheUserNameShowsWithoutTheProviderBox) {
    h_.Show(Mobile("<username>user</username>"));
    EXPECT_TRUE(h_.Visible("usernameEdit"));
    EXPECT_TRUE(h_.Visible("usernameLabel"));
    EXPECT_FALSE(h_.Visible("apnEdit"));
    EXPECT_FALSE(h_.Visible("apnLabel"));
    EXPECT_FALSE(test::FrameShown(h_.Get<QGroupBox>("providerGroup")));
}

TEST_F(CellPageTest, WithoutASettingsDocumentNothingShows) {
    h_.Show("");
    for (QWidget* widget : h_.page.findChildren<QWidget*>())
        EXPECT_FALSE(widget->isVisible()) << widget->objectName().toStdString();
}

TEST_F(CellPageTest, TheBandIsWrittenBackAsTheCodeOfTheSelectedEntry) {
    h_.Show(kFullMobile);
    h_.Apply();
    EXPECT_EQ(h_.applies, 1);
    EXPECT_EQ(h_.Value("mobile_simple/mobile_gsm_band"), "9");

    auto* band = h_.Get<QComboBox>("bandBox");
    band->setCurrentText("900/1800 MHz (Europe/World)");
    h_.page.SetModified();
    h_.Apply();
    EXPECT_EQ(h_.Value("mobile_simple/mobile_gsm_band"), "6");
    EXPECT_EQ(band->currentText(), "900/1800 MHz (Europe/World)");
    EXPECT_FALSE(h_.page.IsModified());
}

TEST_F(CellPageTest, AnUnknownBandCodeIsShownAsItsOwnEntryAndWrittenBackUnchanged) {
    h_.Show(Mobile("<mobile_gsm_band>12</mobile_gsm_band>"));
    auto* band = h_.Get<QComboBox>("bandBox");
    EXPECT_EQ(band->count(), 9);
    EXPECT_EQ(band->currentText(), "Unknown band (code 12)");
    h_.Apply();
    EXPECT_EQ(h_.Value("mobile_simple/mobile_gsm_band"), "12");

    // Picking a band of the list replaces it; the device's new code drops the extra entry.
    band->setCurrentText("1800 MHz");
    h_.Apply();
    EXPECT_EQ(h_.Value("mobile_simple/mobile_gsm_band"), "4");
    EXPECT_EQ(band->count(), 8);
    EXPECT_EQ(band->currentText(), "1800 MHz");
}

TEST_F(CellPageTest, AnEmptyBandElementStaysEmpty) {
    h_.Show(Mobile("<mobile_gsm_band></mobile_gsm_band>"));
    EXPECT_TRUE(h_.Visible("bandBox"));
    EXPECT_EQ(h_.Get<QComboBox>("bandBox")->currentText(), "");
    h_.Apply();
    EXPECT_EQ(h_.Value("mobile_simple/mobile_gsm_band"), "");
}

TEST_F(CellPageTest, TypingOrPickingMarksThePageModifiedAndApplyStoresTheTexts) {
    h_.Show(kFullMobile);
    QTest::keyClick(h_.Get<QLineEdit>("apnEdit"), Qt::Key_End);
    QTest::keyClicks(h_.Get<QLineEdit>("apnEdit"), ".example");
    EXPECT_TRUE(h_.page.IsModified());
    h_.Get<QLineEdit>("simPinEdit")->clear();
    h_.Apply();
    EXPECT_EQ(h_.Value("mobile_simple/apn"), "internet.example");
    EXPECT_EQ(h_.Value("mobile_simple/pin"), "");
    EXPECT_EQ(h_.Value("mobile_simple/username"), "user");
    EXPECT_FALSE(h_.page.IsModified());
}

TEST_F(CellPageTest, APageTheUserDidNotChangeWritesNothing) {
    h_.Show(kFullMobile);
    h_.Get<QLineEdit>("apnEdit")->setText("not typed");
    ASSERT_TRUE(h_.SwitchTo(1));
    h_.sheet.Apply();
    EXPECT_EQ(h_.applies, 0);
    EXPECT_EQ(h_.Value("mobile_simple/apn"), "internet");
    // Coming back shows the document again.
    ASSERT_TRUE(h_.SwitchTo(0));
    EXPECT_EQ(h_.Get<QLineEdit>("apnEdit")->text(), "internet");
}

TEST_F(CellPageTest, ThePasswordAndThePinAreMaskedUntilTheirShowBoxIsTicked) {
    h_.Show(kFullMobile);
    for (const auto& [edit, show] : {std::pair{"passwordEdit", "showPasswordCheck"},
                                     std::pair{"simPinEdit", "showSimPinCheck"}}) {
        EXPECT_EQ(h_.Get<QLineEdit>(edit)->echoMode(), QLineEdit::Password) << edit;
        ASSERT_TRUE(h_.Visible(show)) << show;
        test::ClickBox(h_.Get<QAbstractButton>(show));
        EXPECT_EQ(h_.Get<QLineEdit>(edit)->echoMode(), QLineEdit::Normal) << edit;
        test::ClickBox(h_.Get<QAbstractButton>(show));
        EXPECT_EQ(h_.Get<QLineEdit>(edit)->echoMode(), QLineEdit::Password) << edit;
    }
    EXPECT_FALSE(h_.page.IsModified()) << "showing a secret changes no setting";
    // Without the setting, its box goes with the edit.
    PageHarness<CellPage> noPin;
    noPin.Show(Mobile("<apn>internet</apn>"));
    EXPECT_FALSE(noPin.Visible("showSimPinCheck"));
}

TEST_F(CellPageTest, EveryControlIsNamedByItsLabel) {
    // Shown, so that the band list has an entry, which must not take the label's place.
    h_.Show(kFullMobile);
    const std::pair<const char*, const char*> named[] = {
        {"apnEdit", "Service Plan/APN"},   {"usernameEdit", "Username"},
        {"passwordEdit", "Password"},      {"showPasswordCheck", "Show Password"},
        {"simPinEdit", "SIM Pin"},         {"showSimPinCheck", "Show SIM Pin"},
        {"bandBox", "Band Configuration"}, {"inactivityTimeoutEdit", "Inactivity Timeout"},
    };
    for (const auto& [object, name] : named)
        EXPECT_EQ(test::AccessibleName(h_.Get(object)).toStdString(), name) << object;
    EXPECT_EQ(test::AccessibleValue(h_.Get("bandBox")), "850/1900 MHz (North America)");
    EXPECT_EQ(h_.page.Caption(), "Mobile");
}

// Against the simulated device: what the Mobile page sends is what the device then keeps.
TEST(CellPageDeviceTest, ApplySendsTheMobileSettings) {
    test::DeviceHarness<CellPage, ObdPage> h;
    ASSERT_TRUE(h.Start(sim::Product::Korvane));
    auto* apn = h.Get<QLineEdit>("apnEdit");
    auto* band = h.Get<QComboBox>("bandBox");
    EXPECT_EQ(apn->text(), "broadband.varik.example");
    EXPECT_EQ(band->currentText(), "850/1900 MHz (North America)");

    apn->setText("iot.varik.example");
    h.Get<QLineEdit>("usernameEdit")->setText("fleet");
    band->setCurrentText("quad-band mode 850/900E (extended)/1800/1900 MHz");
    h.Apply();
    EXPECT_EQ(h.Setting("mobile_simple/apn"), "iot.varik.example");
    EXPECT_EQ(h.Setting("mobile_simple/username"), "fleet");
    EXPECT_EQ(h.Setting("mobile_simple/mobile_gsm_band"), "7");
    EXPECT_EQ(h.page.apn, "iot.varik.example");
    EXPECT_EQ(h.page.bandText, "quad-band mode 850/900E (extended)/1800/1900 MHz");
    EXPECT_EQ(apn->text(), "iot.varik.example");
    EXPECT_TRUE(h.prompts.ShownPrompts().empty());
}

}  // namespace
}  // namespace merivane
