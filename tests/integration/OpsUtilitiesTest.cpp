#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "OpsTestSupport.h"
#include "app/CKestrionApp.h"
#include "ops/ConfigurationBackup.h"
#include "ops/ConfigurationRestore.h"
#include "ops/DeviceUtilities.h"
#include "ops/OpsMessages.h"
#include "ops/PythonAutostart.h"
#include "settings/Bindings.h"
#include "settings/RciRequests.h"

namespace merivane {
namespace {

using test::ProcessEnded;
using test::ScriptedPrompts;

class OpsUtilitiesTest : public test::OpsFixture {
  protected:
    void LoadSettings() {
        documents_.LoadSettingsDocument(Ask(rci::InlineCommand(rci::kQuerySettings)));
        ASSERT_NE(documents_.SettingsNode(), nullptr);
    }

    std::string Loaded(const std::string& path) {
        std::string value = "<unread>";
        ReadBindings(nullptr, BindingTable{BindText(path, &value, "")}, documents_.SettingsNode());
        return value;
    }

    std::string Backup() {
        const std::string path = dir_.File("backup.cfg");
        prompts_.QueueFile(path);
        EXPECT_EQ(BackupSettings(documents_, prompts_), BackupOutcome::Saved);
        return path;
    }
};

TEST_F(OpsUtilitiesTest, ABackupRestoredLaterBringsTheSettingsBack) {
    LoadSettings();
    const std::string apn = device_->Setting("mobile_simple/apn").value_or("");
    const std::string path = Backup();
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text, "backup.cfg");
    EXPECT_EQ(prompts_.ShownPrompts()[0].details, "cfg");
    const std::string saved = test::ReadWholeFile(path);
    EXPECT_EQ(saved.rfind("<?xml version=\"1.0\"?>\n<rci_request", 0), 0u) << saved.substr(0, 80);
    EXPECT_NE(saved.find("<set_setting>"), std::string::npos);

    ASSERT_TRUE(device_->SetSetting("mobile_simple/apn", "changed.example"));
    device_->ClearReceivedCommands();
    // The device stays on the line, so that the read-back finds it (see the next test for a
    // device that really restarts).
    ASSERT_TRUE(device_->AddFault("error:at+CFUN=1"));
    EXPECT_EQ(RestoreSettings(path, documents_, executor_, prompts_), RestoreOutcome::Restored);
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), apn);
    EXPECT_EQ(Loaded("mobile_simple/apn"), apn);

    const std::vector<std::string> received = device_->ReceivedCommands();
    ASSERT_GE(received.size(), 4u);
    EXPECT_EQ(received[0], "at&usbinterface=22");
    const std::string& document = received[1];
    EXPECT_EQ(document.rfind("<rci_request", 0), 0u) << "no declaration";
    EXPECT_EQ(document.find('"'), std::string::npos) << "single-quoted";
    EXPECT_NE(document.find("<set_setting>"), std::string::npos);
    EXPECT_EQ(received[2], "at+CFUN=1");
    EXPECT_EQ(received[3] + "\r\n", rci::InlineCommand(rci::kQuerySettings));
    EXPECT_EQ(prompts_.ShownPrompts().size(), 1u) << "nothing more is said";

    // The settings go first, on their own; the reboot and read-back follow once they are taken.
    ASSERT_GE(executor_.batches.size(), 2u);
    CommandList batch = executor_.batches[executor_.batches.size() - 2];
    for (const USBCommand& entry : executor_.batches.back()) batch.push_back(entry);
    ASSERT_EQ(batch.size(), 4u);
    const int timeouts[] = {5000, 30000, 10000, 8000};
    const char* messages[] = {"Sending new settings to the device...",
                              "Sending new settings to the device...", "Rebooting device...",
                              "Retrieving settings from the device..."};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(batch[i].timeout, timeouts[i]);
        EXPECT_EQ(batch[i].message, messages[i]);
    }
}

// The read-back follows the reboot command at once, so it may reach the device before it
// has gone or only after it came back: either way the settings sent are on the device and
// the tool either shows them or says that it has none.
TEST_F(OpsUtilitiesTest, ARestoreAcrossARealRestartNeverKeepsStaleSettings) {
    LoadSettings();
    const std::string apn = device_->Setting("mobile_simple/apn").value_or("");
    const std::string path = Backup();
    ASSERT_TRUE(device_->SetSetting("mobile_simple/apn", "changed.example"));
    const RestoreOutcome outcome = RestoreSettings(path, documents_, executor_, prompts_);
    EXPECT_TRUE(device_->WaitForPlugCount(2, 10000)) << "the device restarted";
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), apn);
    RecordProperty("readBack", outcome == RestoreOutcome::Restored ? "loaded" : "not read back");
    if (outcome == RestoreOutcome::Restored) {
        EXPECT_EQ(Loaded("mobile_simple/apn"), apn);
        EXPECT_EQ(prompts_.ShownPrompts().size(), 1u);
    } else {
        ASSERT_EQ(outcome, RestoreOutcome::SettingsNotReadBack);
        EXPECT_EQ(documents_.SettingsDocument(), nullptr);
        EXPECT_EQ(prompts_.ShownPrompts().back().text, kSettingsNotReadBack);
    }
}

TEST_F(OpsUtilitiesTest, BackupSaysWhenItCannotWork) {
    // Nothing loaded: said, and no dialog.
    EXPECT_EQ(BackupSettings(documents_, prompts_), BackupOutcome::NothingToBackUp);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text, kNothingToBackUp);

    LoadSettings();
    prompts_.ClearShown();
    EXPECT_EQ(BackupSettings(documents_, prompts_), BackupOutcome::Cancelled);
    EXPECT_EQ(prompts_.ShownPrompts().size(), 1u);

    prompts_.ClearShown();
    const std::string bad = dir_.File("missing/backup.cfg");
    prompts_.QueueFile(bad);
    EXPECT_EQ(BackupSettings(documents_, prompts_), BackupOutcome::WriteFailed);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 2u);
    EXPECT_EQ(prompts_.ShownPrompts()[1].text,
              "The settings could not be saved to " + bad + " (No such file or directory).");
    EXPECT_FALSE(std::filesystem::exists(bad));
}

TEST_F(OpsUtilitiesTest, ABackupIsReadableByItsOwnerOnlyAlsoOverAWiderFile) {
    LoadSettings();
    // The system's usual default would leave a new file readable by everyone.
    const mode_t umask = ::umask(022);
    const std::string replaced = dir_.File("shared.cfg");
    test::WriteWholeFile(replaced, "an older backup");
    ASSERT_EQ(::chmod(replaced.c_str(), 0640), 0);
    for (const auto& [path, mode] : {std::pair{dir_.File("new.cfg"), 0600u}, {replaced, 0600u}}) {
        EXPECT_EQ(SaveSettingsBackup(documents_, path, prompts_), BackupOutcome::Saved);
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, mode) << path;
    }
    ::umask(umask);
}

TEST_F(OpsUtilitiesTest, RestoreRefusesWhatIsNoBackupBeforeSendingAnything) {
    test::WriteWholeFile(dir_.File("notes.cfg"), "just some text, not XML");
    test::WriteWholeFile(dir_.File("page.cfg"), "<html><body><p>not settings</p></body></html>");
    test::WriteWholeFile(dir_.File("query.cfg"),
                         "<rci_request version='1.1'><query_setting/></rci_request>");
    struct Case {
        std::string path;
        std::string text;
        const char* caption;
    };
    const Case cases[] = {
        {"", "You must select the configuration file to restore.", "Please enter a filename"},
        {dir_.File("notes.cfg"),
         "The file " + dir_.File("notes.cfg") + " is not a configuration backup.", "Error"},
        {dir_.File("page.cfg"),
         "The file " + dir_.File("page.cfg") + " is not a configuration backup.", "Error"},
        {dir_.File("query.cfg"),
         "The file " + dir_.File("query.cfg") + " is not a configuration backup.", "Error"},
        {dir_.File("absent.cfg"),
         "The file " + dir_.File("absent.cfg") + " cannot be read (No such file or directory).",
         "Error"},
    };
    device_->ClearReceivedCommands();
    for (const Case& c : cases) {
        ScriptedPrompts prompts;
        EXPECT_EQ(RestoreSettings(c.path, documents_, executor_, prompts), RestoreOutcome::Refused);
        ASSERT_EQ(prompts.ShownPrompts().size(), 1u);
        EXPECT_EQ(prompts.ShownPrompts()[0].text, c.text);
        EXPECT_EQ(prompts.ShownPrompts()[0].caption, c.caption);
        EXPECT_EQ(prompts.ShownPrompts()[0].icon, Prompts::Icon::Error);
    }
    EXPECT_TRUE(device_->ReceivedCommands().empty());
}

TEST_F(OpsUtilitiesTest, ABackupTheDeviceRefusesLeavesItRunningWithItsSettings) {
    LoadSettings();
    const std::string path = Backup();
    ASSERT_TRUE(device_->SetSetting("mobile_simple/apn", "kept.example"));
    ASSERT_TRUE(device_->AddFault("error:<set_setting>"));
    device_->ClearReceivedCommands();
    EXPECT_EQ(RestoreSettings(path, documents_, executor_, prompts_),
              RestoreOutcome::RefusedByDevice);
    EXPECT_EQ(prompts_.ShownPrompts().back().text, kBackupRefused);
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), "kept.example");
    for (const std::string& line : device_->ReceivedCommands()) EXPECT_NE(line, "at+CFUN=1");
    EXPECT_EQ(device_->PlugCount(), 1u) << "not restarted";
}

TEST_F(OpsUtilitiesTest, ARestoreWithoutSettingsComingBackLeavesNoStaleSettings) {
    for (const char* fault :
         {"silent:<query_setting></query_setting>", "error:<query_setting></query_setting>"}) {
        SCOPED_TRACE(fault);
        device_->ClearFaults();
        LoadSettings();
        prompts_.ClearShown();
        const std::string path = Backup();
        ASSERT_TRUE(device_->AddFault(fault));
        EXPECT_EQ(RestoreSettings(path, documents_, executor_, prompts_),
                  RestoreOutcome::SettingsNotReadBack);
        EXPECT_EQ(documents_.SettingsDocument(), nullptr);
        ASSERT_EQ(prompts_.ShownPrompts().size(), 2u);
        EXPECT_EQ(prompts_.ShownPrompts()[1].text,
                  "The device did not send back its settings. Press Refresh on the Device "
                  "Information page to read them again.");
    }
}

TEST_F(OpsUtilitiesTest, FactoryDefaultsAreRestoredAndReadBack) {
    const std::string apn = device_->Setting("mobile_simple/apn").value_or("");
    ASSERT_TRUE(device_->SetSetting("mobile_simple/apn", "custom.example"));
    ASSERT_TRUE(device_->AddFault("error:at+CFUN=1"));  // stays on the line for the read-back
    EXPECT_EQ(RestoreFactoryDefaults(documents_, executor_, prompts_),
              FactoryDefaultsOutcome::Restored);
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), apn);
    EXPECT_EQ(Loaded("mobile_simple/apn"), apn);
    EXPECT_NE(documents_.StateNode(), nullptr);
    EXPECT_TRUE(prompts_.ShownPrompts().empty());
    const CommandList& batch = executor_.batches.back();
    ASSERT_EQ(batch.size(), 4u);
    EXPECT_EQ(batch[0].command, rci::InlineCommand(rci::kSetFactoryDefault));
    EXPECT_EQ(batch[1].command, "at+CFUN=1\r\n");
    EXPECT_EQ(batch[3].message, "Collecting device information after factory reset...");
}

TEST_F(OpsUtilitiesTest, RebootSendsOneCommandAndEndsTheProcess) {
    device_->ClearReceivedCommands();
    int ended = -1;
    try {
        RebootDevice(executor_);
    } catch (const ProcessEnded& end) {
        ended = end.code;
    }
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(device_->ReceivedCommands(), std::vector<std::string>{"at+CFUN=1"});
    ASSERT_EQ(executor_.batches.size(), 1u);
    EXPECT_EQ(executor_.batches[0][0].message, "Rebooting device....");
    EXPECT_EQ(executor_.batches[0][0].timeout, 1000);
    EXPECT_TRUE(ReceivedWith("55,go").empty()) << "the console is not given back";
}

TEST_F(OpsUtilitiesTest, AutostartNeedsACommandLineAndIsApplied) {
    LoadSettings();
    const std::string empty;
    EXPECT_EQ(ApplyPythonAutostart(true, &empty, documents_, executor_, prompts_),
              AutostartOutcome::Refused);
    EXPECT_EQ(prompts_.Texts(),
              std::vector<std::string>{"Please enter the filename for python auto-start"});
    EXPECT_TRUE(executor_.batches.empty());

    const std::string command = "main.py --fast";
    EXPECT_EQ(ApplyPythonAutostart(true, &command, documents_, executor_, prompts_),
              AutostartOutcome::Applied);
    EXPECT_TRUE(device_->AutostartOn());
    EXPECT_EQ(device_->Setting("python/command"), command);
    EXPECT_EQ(ApplyPythonAutostart(false, nullptr, documents_, executor_, prompts_),
              AutostartOutcome::Applied);
    EXPECT_FALSE(device_->AutostartOn());
    EXPECT_EQ(device_->Setting("python/command"), command) << "the command line stays";
    EXPECT_TRUE(AutostartSettingsAcceptable(0, ""));
}

}  // namespace
}  // namespace merivane
