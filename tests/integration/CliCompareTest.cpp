// merivane-cli diff, restore --only and report against a simulated device.

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>

#include <map>

#include "CliTestSupport.h"

namespace merivane::test {
namespace {

class CliCompareTest : public CliFixture {};

constexpr char kApn[] = "mobile_simple/apn";
constexpr char kEnabled[] = "mgmtconnection&index=3/connectionEnabled";

// The members of a .tar.gz by name.
std::map<std::string, std::string> ArchiveMembers(const std::string& path) {
    std::map<std::string, std::string> members;
    archive* reader = archive_read_new();
    archive_read_support_filter_gzip(reader);
    archive_read_support_format_tar(reader);
    if (archive_read_open_filename(reader, path.c_str(), 16384) == ARCHIVE_OK) {
        archive_entry* entry = nullptr;
        while (archive_read_next_header(reader, &entry) == ARCHIVE_OK) {
            std::string& bytes = members[archive_entry_pathname(entry)];
            char buffer[8192];
            la_ssize_t n = 0;
            while ((n = archive_read_data(reader, buffer, sizeof buffer)) > 0)
                bytes.append(buffer, static_cast<size_t>(n));
        }
    }
    archive_read_free(reader);
    return members;
}

TEST_F(CliCompareTest, ADiffListsTheChangedApnAndRestoreOnlySendsItWithoutAReboot) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    const std::string golden = *device.Setting(kApn);
    // A template of two groups: the device's other settings are not its business.
    const std::string file = dir_.File("golden.cfg");
    WriteWholeFile(file, "<rci_request version='1.1'><set_setting><mobile_simple><apn>" + golden +
                             "</apn></mobile_simple><mgmtconnection index='3'><connectionEnabled>" +
                             *device.Setting(kEnabled) +
                             "</connectionEnabled></mgmtconnection></set_setting></rci_request>");
    ASSERT_TRUE(device.SetSetting(kApn, "changed.example"));

    const CliRun diff = RunOn(device, {"diff", file});
    EXPECT_EQ(diff.exit, 1) << diff.err;
    EXPECT_EQ(diff.out, std::string(kApn) + ": changed.example -> " + golden + "\n");
    const CliRun json = RunOn(device, {"--json", "diff", file});
    EXPECT_EQ(JsonDocument(json)["differences"],
              Json::parse(R"([{"path":"mobile_simple/apn","device":"changed.example","file":")" +
                          golden + "\"}]"));

    device.ClearReceivedCommands();
    const CliRun restore = RunOn(device, {"restore", "--only", kApn, file});
    ASSERT_EQ(restore.exit, 0) << restore.err;
    EXPECT_EQ(device.Setting(kApn), golden);
    // One set request with that setting alone, the settle pause, and no restart.
    EXPECT_EQ(ReceivedWith(device, "at&usbinterface=22").size(), 1u);
    EXPECT_EQ(SentSettingsDocument(device),
              "<rci_request version='1.1'><set_setting><mobile_simple><apn>" + golden +
                  "</apn></mobile_simple></set_setting></rci_request>");
    EXPECT_TRUE(ReceivedWith(device, "CFUN").empty());

    EXPECT_EQ(RunOn(device, {"diff", file}).exit, 0);
    const CliRun unknown = RunOn(device, {"restore", "--only", "serial/baud", file});
    EXPECT_EQ(unknown.exit, 2);
    EXPECT_NE(unknown.err.find("holds no setting serial/baud"), std::string::npos) << unknown.err;
}

TEST_F(CliCompareTest, AReportHoldsNoSecretInAnyMember) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    // Known secrets, one of them with a character XML writes differently.
    const std::vector<std::string> secrets = {"Pa55-w0rd&x", "Pa55-w0rd&amp;x", "73914826"};
    ASSERT_TRUE(device.SetSetting("mobile_simple/password", secrets[0]));
    ASSERT_TRUE(device.SetSetting("mobile_simple/pin", secrets[2]));
    // A different password in a template: the diff says they differ without showing either.
    const std::string file = dir_.File("golden.cfg");
    WriteWholeFile(file,
                   "<rci_request version='1.1'><set_setting><mobile_simple><password>other"
                   "</password></mobile_simple></set_setting></rci_request>");
    const CliRun diff = RunOn(device, {"diff", file});
    EXPECT_EQ(diff.out, "mobile_simple/password: ******** -> ********\n");

    const CliRun report = RunOn(device, {"--log", dir_.File("command.log"), "report"});
    ASSERT_EQ(report.exit, 0) << report.err;
    const std::string path = report.out.substr(report.out.find(": ") + 2, std::string::npos);
    const std::string saved = dir_.File(path.substr(0, path.size() - 1));
    EXPECT_NE(saved.find("merivane-report-"), std::string::npos) << saved;
    struct stat info {};
    ASSERT_EQ(::lstat(saved.c_str(), &info), 0) << saved;
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const std::map<std::string, std::string> members = ArchiveMembers(saved);
    for (const char* name : {"settings.xml", "state.xml", "command.log", "signal.csv", "host.txt"})
        EXPECT_EQ(members.count(name), 1u) << name;
    // The log did carry them: the settings came in its answers.
    EXPECT_NE(ReadWholeFile(dir_.File("command.log")).find(secrets[2]), std::string::npos);
    for (const auto& [name, bytes] : members)
        for (const std::string& secret : secrets)
            EXPECT_EQ(bytes.find(secret), std::string::npos) << secret << " in " << name;
    EXPECT_NE(members.at("settings.xml").find("<pin>********</pin>"), std::string::npos);
    EXPECT_NE(members.at("host.txt").find("ModemManager: "), std::string::npos);
}

}  // namespace
}  // namespace merivane::test
