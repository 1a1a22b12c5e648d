// OK and Apply across the pages of the whole sheet, against the simulated gateway: what the
// user changed on any page reaches the device, each changed document once.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "app/BatchExecutor.h"
#include "app/CKestrionApp.h"
#include "app/Product.h"
#include "ops/ZelboValidation.h"
#include "pages/PageSet.h"
#include "sim/SimulatedDevice.h"
#include "support/Clock.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "ui/KestrionPropertySheet.h"
#include "ui/PropertyPage.h"

namespace merivane {
namespace {

using test::ProcessEvents;

// The gateway's tabs.
constexpr int kMobile = 1;
constexpr int kRemote = 2;
constexpr int kZelbo = 3;
constexpr int kUtilities = 7;

// One field the user types into.
struct Typed {
    int tab;
    const char* edit;
    const char* text;
};

class SheetApplyTest : public ::testing::Test {
  protected:
    SheetApplyTest()
        : clock_(50.0, 1500), installed_(clock_), product_(g_product), model_(g_deviceModel) {}
    ~SheetApplyTest() override {
        g_product = product_;
        g_deviceModel = model_;
    }

    void SetUp() override {
        sim::DeviceOptions options;
        options.linkPath = dir_.File("ttyDEVICE");
        options.console = false;
        device_ = std::make_unique<sim::SimulatedDevice>(options);
        ASSERT_TRUE(device_->Start());
        ASSERT_TRUE(app_.Link().OpenNamedPort(device_->LinkPath()));
        g_product = kBrivel;
        ASSERT_TRUE(app_.IdentifyDevice(executor_));
        pages_.AddTo(sheet_, kBrivel, true);
        ASSERT_EQ(sheet_.Tabs()->tabText(kUtilities), "Utilities");
        sheet_.show();
        ProcessEvents();
    }

    bool SwitchTo(int tab) {
        sheet_.Tabs()->setCurrentIndex(tab);
        ProcessEvents();
        return sheet_.ActiveIndex() == tab;
    }

    QLineEdit* Edit(int tab, const char* name) {
        return sheet_.Page(tab)->findChild<QLineEdit*>(name);
    }

    // Replaces a field's text by typing, as the user does (which marks its page modified).
    void Type(const Typed& typed) {
        ASSERT_TRUE(SwitchTo(typed.tab));
        QLineEdit* edit = Edit(typed.tab, typed.edit);
        ASSERT_NE(edit, nullptr) << typed.edit;
        edit->selectAll();
        QTest::keyClicks(edit, typed.text);
    }

    // The settings and the mesh radio set requests the device received.
    std::vector<std::string> Sets(bool radio) const {
        std::vector<std::string> found;
        for (const std::string& line : device_->ReceivedCommands()) {
            const bool radioSet = line.find("zigbee'><set_setting>") != std::string::npos;
            if (line.find("<set_setting>") != std::string::npos && radioSet == radio)
                found.push_back(line);
        }
        return found;
    }

    ScaledClock clock_;
    ScopedClock installed_;
    test::TempDir dir_;
    std::unique_ptr<sim::SimulatedDevice> device_;
    CKestrionApp app_{std::make_unique<FixedPortSource>()};
    HeadlessExecutor executor_{app_.Link()};
    test::ScriptedPrompts prompts_;
    PageSet pages_;
    KestrionPropertySheet sheet_{PageContext{app_, prompts_, executor_}};

  private:
    std::string product_;
    std::string model_;
};

TEST_F(SheetApplyTest, ChangesOnOtherPagesAreSentEachChangedDocumentOnce) {
    struct Case {
        const char* what;
        std::vector<Typed> typed;
        bool ok;  // OK, else Apply
        size_t settingsSets;
        size_t radioSets;
    };
    const Case cases[] = {
        {"Mobile and Remote Management, OK on a third page",
         {{kMobile, "apnEdit", "first.example"},
          {kRemote, "deviceServerAddressEdit", "mgmt.example"}},
         true,
         1,
         0},
        {"Mobile and the mesh radio, Apply on a third page",
         {{kMobile, "apnEdit", "second.example"}, {kZelbo, "joinTimeEdit", "42"}},
         false,
         1,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sheet_.show();
        device_->ClearReceivedCommands();
        for (const Typed& typed : c.typed) Type(typed);
        ASSERT_TRUE(SwitchTo(kUtilities));
        QTest::mouseClick(c.ok ? sheet_.OkButton() : sheet_.ApplyButton(), Qt::LeftButton);
        ProcessEvents();

        const std::vector<std::string> settings = Sets(false);
        const std::vector<std::string> radio = Sets(true);
        ASSERT_EQ(settings.size(), c.settingsSets);
        ASSERT_EQ(radio.size(), c.radioSets);
        EXPECT_TRUE(prompts_.ShownPrompts().empty());
        EXPECT_EQ(sheet_.isVisible(), !c.ok);
        for (const Typed& typed : c.typed) {
            const std::string& sent = typed.tab == kZelbo ? radio[0] : settings[0];
            EXPECT_NE(sent.find(typed.text), std::string::npos) << typed.text;
            EXPECT_EQ(Edit(typed.tab, typed.edit)->text(), typed.text) << "read back";
            EXPECT_FALSE(sheet_.Page(typed.tab)->IsModified());
        }
        EXPECT_FALSE(sheet_.ApplyButton()->isEnabled());
    }
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), "second.example");
    EXPECT_EQ(device_->Setting("mgmtconnection/ServerArray&index=1/serverAddress"),
              "en://mgmt.example");
    EXPECT_EQ(device_->RadioSetting("radio/join_time"), "42");
}

TEST_F(SheetApplyTest, APageWhoseValuesFailIsShownWithItsMessageAndNothingIsSent) {
    struct Case {
        const char* what;
        Typed failing;
        int pressedOn;
        const char* message;
    };
    const Case cases[] = {
        {"an hour count out of range on the page pressed on",
         {kRemote, "reconnectHoursEdit", "10"},
         kRemote,
         "Reconnect after hours: Please enter an integer between 0 and 9."},
        {"a mesh radio field out of range on another page",
         {kZelbo, "joinTimeEdit", "256"},
         kUtilities,
         kJoinTimeMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Type({kMobile, "apnEdit", "held.example"});
        Type(c.failing);
        if (c.pressedOn != c.failing.tab) {
            ASSERT_TRUE(SwitchTo(c.pressedOn));
        }
        device_->ClearReceivedCommands();
        prompts_.ClearShown();
        QTest::mouseClick(sheet_.ApplyButton(), Qt::LeftButton);
        ProcessEvents();

        EXPECT_EQ(prompts_.Texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(sheet_.ActiveIndex(), c.failing.tab);
        EXPECT_EQ(Edit(c.failing.tab, c.failing.edit)->text(), c.failing.text);
        EXPECT_TRUE(device_->ReceivedCommands().empty());
        EXPECT_TRUE(sheet_.Page(kMobile)->IsModified());
        Edit(c.failing.tab, c.failing.edit)->setText("1");
    }
}

TEST_F(SheetApplyTest, WithoutLoadedSettingsNothingIsSentTheUserIsToldAndTheChangeStays) {
    Type({kMobile, "apnEdit", "kept.example"});
    // As after a restore whose read-back failed.
    app_.Documents().ClearSettings();
    device_->ClearReceivedCommands();
    for (QPushButton* button : {sheet_.ApplyButton(), sheet_.OkButton()}) {
        prompts_.ClearShown();
        QTest::mouseClick(button, Qt::LeftButton);
        ProcessEvents();
        ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
        EXPECT_EQ(prompts_.ShownPrompts()[0].text, KestrionPropertySheet::kSettingsNotLoaded);
        EXPECT_EQ(prompts_.ShownPrompts()[0].icon, Prompts::Icon::Warning);
        EXPECT_TRUE(device_->ReceivedCommands().empty());
        EXPECT_TRUE(sheet_.Page(kMobile)->IsModified());
        EXPECT_TRUE(sheet_.ApplyButton()->isEnabled());
        EXPECT_EQ(Edit(kMobile, "apnEdit")->text(), "kept.example");
        EXPECT_TRUE(sheet_.isVisible());
    }
}

}  // namespace
}  // namespace merivane
