#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <algorithm>

#include "DevicePageFixture.h"
#include "pages/UtilsPage.h"
#include "settings/Bindings.h"
#include "ui/QtText.h"

namespace merivane {
namespace {

using test::ProcessEnded;
using test::ScriptedPrompts;

class UtilsPageTest : public test::DevicePageFixture<UtilsPage> {
  protected:
    void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }

    // The APN in the tool's settings document.
    std::string LoadedApn() {
        std::string apn = "<unread>";
        ReadBindings(nullptr, BindingTable{BindText("mobile_simple/apn", &apn, "")},
                     Documents().SettingsNode());
        return apn;
    }
};

TEST_F(UtilsPageTest, ABackupRestoredThroughThePageBringsTheSettingsBack) {
    LoadDocuments();
    Open();
    const std::string apn = device_->Setting("mobile_simple/apn").value_or("");
    const std::string backup = dir_.File("backup.cfg");
    prompts_.QueueFile(backup);
    Click("backupButton");
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].kind, ScriptedPrompts::Kind::SaveFile);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text, "backup.cfg");
    EXPECT_EQ(test::ReadWholeFile(backup).rfind("<?xml version=\"1.0\"?>\n<rci_request", 0), 0u);

    ASSERT_TRUE(device_->SetSetting("mobile_simple/apn", "changed.example"));
    // The device stays on the line after the reboot command, so the read-back finds it.
    ASSERT_TRUE(device_->AddFault("error:at+CFUN=1"));
    device_->ClearReceivedCommands();
    // A path typed by hand.
    QTest::keyClicks(Find<QLineEdit>("restorePathEdit"), QString::fromStdString(backup));
    Click("restoreButton");

    EXPECT_EQ(device_->Setting("mobile_simple/apn"), apn);
    EXPECT_EQ(LoadedApn(), apn);
    const std::vector<std::string> received = device_->ReceivedCommands();
    ASSERT_GE(received.size(), 4u);
    EXPECT_EQ(received[0], "at&usbinterface=22");
    EXPECT_EQ(received[1].rfind("<rci_request", 0), 0u) << "no declaration";
    EXPECT_EQ(received[1].find('"'), std::string::npos) << "single-quoted";
    EXPECT_NE(received[1].find("<set_setting>"), std::string::npos);
    EXPECT_EQ(received[2], "at+CFUN=1");
    EXPECT_EQ(prompts_.ShownPrompts().size(), 1u) << "nothing more is said";
}

TEST_F(UtilsPageTest, RestoreWithoutAFileSaysSoAndSendsNothing) {
    Open();
    device_->ClearReceivedCommands();
    Click("restoreButton");
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text,
              "You must select the configuration file to restore.");
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, "Please enter a filename");
    EXPECT_TRUE(device_->ReceivedCommands().empty());
}

TEST_F(UtilsPageTest, BrowseFillsTheRestorePath) {
    Open();
    prompts_.QueueFile("/home/user/settings/gateway.cfg");
    Click("browseButton");
    EXPECT_EQ(Find<QLineEdit>("restorePathEdit")->text(), "/home/user/settings/gateway.cfg");
    EXPECT_EQ(page_.restorePath, "/home/user/settings/gateway.cfg");
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, "*.cfg|*.*||");
    EXPECT_EQ(prompts_.ShownPrompts()[0].text, "") << "no proposed name while the path is empty";
}

TEST_F(UtilsPageTest, RebootSendsOneCommandAndEndsTheProcess) {
    Open();
    device_->ClearReceivedCommands();
    int ended = -1;
    try {
        page_.OnReboot();
    } catch (const ProcessEnded& end) {
        ended = end.code;
    }
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(device_->ReceivedCommands(), std::vector<std::string>{"at+CFUN=1"});
    ASSERT_EQ(executor_.batches.size(), 1u);
    EXPECT_EQ(executor_.batches[0][0].message, "Rebooting device....");
}

TEST_F(UtilsPageTest, TheFactoryDefaultGroupStaysHiddenButItsButtonWorks) {
    LoadDocuments();
    Open();
    EXPECT_FALSE(Find<QGroupBox>("factoryDefaultsGroup")->isVisible());
    EXPECT_FALSE(Find<QPushButton>("factoryDefaultsButton")->isVisible());
    EXPECT_TRUE(Find<QGroupBox>("rebootGroup")->isVisible());

    const std::string apn = device_->Setting("mobile_simple/apn").value_or("");
    ASSERT_TRUE(device_->SetSetting("mobile_simple/apn", "custom.example"));
    ASSERT_TRUE(device_->AddFault("error:at+CFUN=1"));
    Find<QPushButton>("factoryDefaultsButton")->click();
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), apn);
    EXPECT_EQ(LoadedApn(), apn);
    EXPECT_TRUE(prompts_.ShownPrompts().empty());
}

TEST_F(UtilsPageTest, CompareSendsOnlyTheTickedSettingsInOneSetRequestAndSavesThemAsATemplate) {
    LoadDocuments();
    Open();
    const std::string golden = device_->Setting("mobile_simple/apn").value_or("");
    const char* enabled = "mgmtconnection&index=3/connectionEnabled";
    const std::string other = device_->Setting(enabled) == "on" ? "off" : "on";
    const std::string file = dir_.File("golden.cfg");
    test::WriteWholeFile(
        file, "<rci_request version='1.1'><set_setting><mobile_simple><apn>" + golden +
                  "</apn><password>file-secret</password></mobile_simple>"
                  "<mgmtconnection index='3'><connectionEnabled>" +
                  other + "</connectionEnabled></mgmtconnection></set_setting></rci_request>");
    ASSERT_TRUE(device_->SetSetting("mobile_simple/apn", "changed.example"));
    LoadDocuments();
    const std::string saved = dir_.File("template.cfg");
    prompts_.QueueFile(file);
    prompts_.QueueFile(saved);
    std::vector<std::vector<std::string>> rows;
    test::WhenModalAppears([&](QWidget* modal) {
        auto* table = modal->findChild<QTableWidget*>("differencesTable");
        for (int row = 0; row < table->rowCount(); ++row)
            rows.push_back({FromQt(table->item(row, 0)->text()),
                            FromQt(table->item(row, 1)->text()),
                            FromQt(table->item(row, 2)->text())});
        table->item(0, 0)->setCheckState(Qt::Checked);
        modal->findChild<QPushButton*>("saveTemplateButton")->click();
        modal->findChild<QPushButton*>("sendSelectedButton")->click();
    });
    device_->ClearReceivedCommands();
    Click("compareButton");

    const std::vector<std::vector<std::string>> expected = {
        {"mobile_simple/apn", "changed.example", golden},
        {"mobile_simple/password", "", "********"},
        {enabled, *device_->Setting(enabled), other},
    };
    EXPECT_EQ(rows, expected);
    const std::string request = "<rci_request version='1.1'><set_setting><mobile_simple><apn>" +
                                golden + "</apn></mobile_simple></set_setting></rci_request>";
    const std::vector<std::string> received = device_->ReceivedCommands();
    ASSERT_GE(received.size(), 3u);
    EXPECT_EQ(std::count(received.begin(), received.end(), "at&usbinterface=22"), 1);
    EXPECT_EQ(received[1], request);
    ASSERT_FALSE(executor_.batches.empty());
    EXPECT_EQ(executor_.batches.back()[2].command, "SLEEP") << "the usual settle pause";
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), golden);
    EXPECT_NE(device_->Setting(enabled), other);
    EXPECT_EQ(LoadedApn(), golden) << "the settings were read back";
    EXPECT_NE(test::ReadWholeFile(saved).find(golden), std::string::npos);
    EXPECT_EQ(test::ReadWholeFile(saved).find("connectionEnabled"), std::string::npos);
}

TEST_F(UtilsPageTest, AReportIsSavedUnderTheIdentityAndTimeForItsOwnerOnly) {
    LoadDocuments();
    Open();
    const std::string report = dir_.File("report.tar.gz");
    prompts_.QueueFile(report);
    Click("reportButton");
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text.rfind("merivane-report-", 0), 0u);
    struct stat info {};
    ASSERT_EQ(::lstat(report.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(UtilsPageTest, TextsAndNamesAreThoseOfThePage) {
    const std::pair<const char*, const char*> named[] = {
        {"backupButton", "Backup"},
        {"restorePathEdit", "Select File"},
        {"browseButton", "Browse for restore file"},
        {"restoreButton", "Restore from file"},
        {"rebootButton", "Reboot"},
        {"factoryDefaultsButton", "Restore factory default settings"},
        {"compareButton", "Compare with file\u2026"},
        {"reportButton", "Save diagnostic report\u2026"},
    };
    for (const auto& [object, name] : named)
        EXPECT_EQ(test::AccessibleName(Find<QWidget>(object)), name) << object;
    EXPECT_EQ(Find<QPushButton>("restoreButton")->text(), "Restore");
    EXPECT_EQ(Find<QPushButton>("factoryDefaultsButton")->text(), "Restore");
    EXPECT_EQ(Find<QLabel>("backupLabel")->text(),
              "Backup configuration to a file on your PC or server.  You will be prompted for "
              "where to save the backup file. ");
    EXPECT_EQ(Find<QGroupBox>("factoryDefaultsGroup")->title(), "Restore Factory Default Settings");
    EXPECT_EQ(page_.Caption(), "Utilities");
}

}  // namespace
}  // namespace merivane
