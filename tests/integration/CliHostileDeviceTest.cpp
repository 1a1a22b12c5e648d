// merivane-cli against a counterfeit device that answers what it likes, and with files and
// links planted by someone else: nothing the device or a planter chose reaches the next
// device, a file outside the one asked for, or the user's terminal.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "CliTestSupport.h"
#include "sim/FaultyAnswers.h"

namespace merivane::test {
namespace {

namespace fs = std::filesystem;
using sim::Product;

class CliHostileDeviceTest : public CliFixture {
  protected:
    // True while the device still has both the program and the Python archive.
    static bool FilesIntact(const sim::SimulatedDevice& device) {
        return device.FileContents("/WEB/python/main.py") &&
               device.FileContents("/WEB/python/python.zip");
    }
};

// A backup carries only settings groups, whatever the device put around them, and a file
// holding anything else is refused before it is sent.
TEST_F(CliHostileDeviceTest, OnlySettingsTravelFromABackupToTheNextDevice) {
    sim::SimulatedDevice& hostile = StartDevice("hostile", Options());
    ASSERT_TRUE(hostile.AddFault("extra-operations"));
    const std::string backup = dir_.File("taken.cfg");
    ASSERT_EQ(RunOn(hostile, {"backup", backup}).exit, 0);
    const std::string saved = ReadWholeFile(backup);
    for (const char* foreign : {"set_factory_default", "<rm", "<!--", "usbinterface"})
        EXPECT_EQ(saved.find(foreign), std::string::npos) << foreign << " in " << saved;

    // The device stays on the line through the reboot, so that the read-back finds it.
    sim::SimulatedDevice& next = StartDevice("next", Options());
    ASSERT_TRUE(next.AddFault("error:at+CFUN=1"));
    ASSERT_TRUE(next.SetSetting("mobile_simple/apn", "other.example"));
    const CliRun restored = RunOn(next, {"restore", backup});
    EXPECT_EQ(restored.exit, 0) << restored.err;
    EXPECT_EQ(next.Setting("mobile_simple/apn"), "broadband.varik.example");
    EXPECT_TRUE(FilesIntact(next));

    const std::string settings = saved.substr(saved.find("<rci_request"));
    const std::string hostileFiles[] = {
        settings.substr(0, settings.rfind("</set_setting>")) +
            "</set_setting><set_factory_default/></rci_request>",
        settings.substr(0, settings.rfind("</set_setting>")) +
            "</set_setting><do_command target=\"file_system\"><rm "
            "name=\"/WEB/python/main.py\"/></do_command></rci_request>",
        settings +
            "<!--\r\nat&usbinterface=20,\"<rci_request version='1.1'><do_command "
            "target='file_system'><rm name='/WEB/python/python.zip'/></do_command>"
            "</rci_request>\"\r\n-->",
        settings + "<?run now?>",
    };
    for (const std::string& content : hostileFiles) {
        SCOPED_TRACE(content.substr(content.size() - 60));
        WriteWholeFile(backup, content);
        next.ClearReceivedCommands();
        const CliRun run = RunOn(next, {"restore", backup});
        EXPECT_EQ(run.exit, 2);
        EXPECT_NE(run.err.find("is not a configuration backup"), std::string::npos) << run.err;
        EXPECT_TRUE(ReceivedWith(next, "usbinterface=22").empty());
        EXPECT_TRUE(FilesIntact(next));
    }
}

// Another product's backup is restored only when the user says so.
TEST_F(CliHostileDeviceTest, AnotherProductsBackupNeedsYes) {
    sim::SimulatedDevice& tracker = StartDevice("tracker", Options(Product::Korvane));
    const std::string backup = dir_.File("tracker.cfg");
    ASSERT_EQ(RunOn(tracker, {"backup", backup}).exit, 0);
    sim::SimulatedDevice& gateway = StartDevice("gateway", Options());
    ASSERT_TRUE(gateway.AddFault("error:at+CFUN=1"));
    const CliRun refused = RunOn(gateway, {"restore", backup});
    EXPECT_EQ(refused.exit, 2);
    EXPECT_NE(refused.err.find("settings of a Korvane, but this device is a Brivel"),
              std::string::npos)
        << refused.err;
    EXPECT_TRUE(ReceivedWith(gateway, "usbinterface=22").empty());
    EXPECT_EQ(RunOn(gateway, {"--yes", "restore", backup}).exit, 0);
}

// The local name of a download is the one asked for, never one the device answers with;
// a longer file than listed is no download; a file the list then lacks is no upload.
TEST_F(CliHostileDeviceTest, TheDeviceNeverChoosesWhatIsSavedOrVerified) {
    sim::SimulatedDevice& device = StartDevice("device", Options());
    ASSERT_TRUE(device.PutFile("/WEB/python/report.py", "print('report')\n"));
    fs::create_directory(dir_.File(".ssh"));
    struct Case {
        const char* fault;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"other-file:/WEB/python/.bashrc", {"download", "report.py"}},
        {"other-file:../../.bashrc", {"download", "report.py", dir_.File(".ssh")}},
        {"longer-download:5000", {"download", "report.py"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        device.ClearFaults();
        ASSERT_TRUE(device.AddFault(c.fault));
        std::vector<std::string> args = {"--json", "--retries", "1"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = RunOn(device, args);
        EXPECT_EQ(run.exit, 1) << run.err;
        EXPECT_NE(run.err.find("File download failed: the device sent"), std::string::npos)
            << run.err;
        EXPECT_FALSE(JsonDocument(run).contains("verified"));
        EXPECT_FALSE(fs::exists(dir_.File("report.py")));
        EXPECT_FALSE(fs::exists(dir_.File(".bashrc")));
        EXPECT_TRUE(fs::is_empty(dir_.File(".ssh")));
    }
    device.ClearFaults();

    // A hidden file is made only where the user names it.
    ASSERT_TRUE(device.PutFile("/WEB/python/.profile", "echo hi\n"));
    EXPECT_EQ(RunOn(device, {"download", ".profile"}).exit, 2);
    EXPECT_EQ(RunOn(device, {"download", ".profile", dir_.File(".ssh")}).exit, 2);
    EXPECT_EQ(RunOn(device, {"download", ".profile", dir_.File("profile.txt")}).exit, 0);
    EXPECT_EQ(ReadWholeFile(dir_.File("profile.txt")), "echo hi\n");

    const std::string job = dir_.File("job.py");
    WriteWholeFile(job, "print('job')\n");
    ASSERT_TRUE(device.AddFault("unlisted:job.py"));
    const CliRun upload = RunOn(device, {"--json", "--retries", "0", "upload", job});
    EXPECT_EQ(upload.exit, 1) << upload.err;
    EXPECT_FALSE(JsonDocument(upload).contains("verified"));
}

// Identity texts that attack the terminal arrive escaped in text output, as they came in
// JSON; secrets are masked in text, JSON and --check alike unless asked for.
TEST_F(CliHostileDeviceTest, DeviceTextsAreEscapedAndSecretsMasked) {
    sim::SimulatedDevice& device = StartDevice("device", Options());
    ASSERT_TRUE(device.AddFault("hostile-text"));
    const CliRun info = RunOn(device, {"info"});
    ASSERT_EQ(info.exit, 0) << info.err;
    for (const char* raw : {"\x1b", "\x07", "\xc2\x9b", "\xe2\x80\xae", "\nimsi: 0010199"})
        EXPECT_EQ(info.out.find(raw), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("\\x1b]52;c;cHduZWQ=\\x07"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("\\u202e"), std::string::npos) << info.out;
    EXPECT_NE(JsonDocument(RunOn(device, {"--json", "info"})).dump().find("\\u001b]52"),
              std::string::npos);
    device.ClearFaults();

    ASSERT_TRUE(device.SetSetting("mobile_simple/password", "old-secret"));
    const std::vector<std::vector<std::string>> runs = {
        {"--check", "set", "mobile_simple/password=new-secret"},
        {"--json", "--check", "set", "mobile_simple/password=new-secret"},
        {"--json", "get", "mobile_simple/password"},
        {"set", "mobile_simple/password=new-secret", "mobile_simple/apn=x.example"},
        {"--json", "set", "mobile_simple/password=new-secret"},
    };
    for (const auto& args : runs) {
        const CliRun run = RunOn(device, args);
        EXPECT_EQ(run.exit, 0) << run.err;
        for (const char* secret : {"old-secret", "new-secret"})
            EXPECT_EQ((run.out + run.err).find(secret), std::string::npos) << run.out << run.err;
        EXPECT_NE(run.out.find("********"), std::string::npos) << run.out;
    }
    EXPECT_EQ(device.Setting("mobile_simple/password"), "new-secret");
    const CliRun shown = RunOn(device, {"--show-secrets", "get", "mobile_simple/password"});
    EXPECT_NE(shown.out.find("new-secret"), std::string::npos) << shown.out;
}

// Saving where someone else planted a link or a file of theirs: refused, and what the
// link points to is left alone. Another user's files need root to plant.
TEST_F(CliHostileDeviceTest, PlantedLinksAndFilesInASharedFolderAreRefused) {
    sim::SimulatedDevice& device = StartDevice("device", Options());
    const std::string shared = dir_.File("shared");
    fs::create_directory(shared);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::string precious = dir_.File("precious.conf");
    WriteWholeFile(precious, "precious");
    fs::create_symlink(precious, shared + "/backup.cfg");
    fs::create_symlink(dir_.File("planted.cfg"), shared + "/dangling.cfg");
    fs::create_symlink(precious, shared + "/command.log");
    std::vector<std::vector<std::string>> runs = {
        {"--yes", "backup", shared + "/backup.cfg"},
        {"--yes", "backup", shared + "/dangling.cfg"},
        {"--yes", "download", "main.py", shared + "/backup.cfg"},
    };
    if (::geteuid() == 0) {
        WriteWholeFile(shared + "/theirs.cfg", "theirs");
        ASSERT_EQ(::chown((shared + "/theirs.cfg").c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chmod((shared + "/theirs.cfg").c_str(), 0666), 0);
        runs.push_back({"--yes", "backup", shared + "/theirs.cfg"});
    }
    for (const auto& args : runs) {
        const CliRun run = RunOn(device, args);
        EXPECT_EQ(run.exit, 2) << run.err;
        EXPECT_TRUE(run.err.find("is a symbolic link; give the file itself") != std::string::npos ||
                    run.err.find("belongs to another user") != std::string::npos)
            << run.err;
    }
    EXPECT_EQ(ReadWholeFile(precious), "precious");
    EXPECT_FALSE(fs::exists(dir_.File("planted.cfg")));

    const CliRun logged = RunOn(device, {"--log", shared + "/command.log", "info"});
    EXPECT_EQ(logged.exit, 0);
    EXPECT_NE(logged.err.find("The command log " + shared + "/command.log cannot be written"),
              std::string::npos)
        << logged.err;
    EXPECT_EQ(ReadWholeFile(precious), "precious");
}

}  // namespace
}  // namespace merivane::test
