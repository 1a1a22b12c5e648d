// merivane-cli end to end: each command against simulated devices of both products.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "CliTestSupport.h"
#include "settings/RciRequests.h"
#include "support/TextRules.h"

namespace merivane::test {
namespace {

using sim::Product;

class CliCommandsTest : public CliFixture {};

constexpr char kPause[] = "AT&usbinterface=55,pause";
constexpr char kResume[] = "AT&usbinterface=55,go";

TEST_F(CliCommandsTest, MalformedCommandLinesAreUsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"info", "extra"},
        {"get"},
        {"set", "mobile_simple/apn"},
        {"set", "=value"},
        {"set", "mgmtconnection&index=3"},
        {"set",
         "mobile_simple/apn=ab\xFF"
         "cd"},
        {"set",
         "mobile_simple/apn=ab\x01"
         "cd"},
        {"set", "mobile_simple/apn=two\nlines"},
        {"autostart", "maybe"},
        {"--command", "x.py", "info"},
        {"--document", "state", "set", "a=b"},
        {"--document", "wrong", "get", "a"},
        {"--retries", "many", "ls"},
        {"--all", "--port", "/dev/null", "info"},
        {"--port"},
        {"--bogus", "info"},
        {"download", "a", "b", "c"},
        {"ports", "--all"},
        {"--check", "info"},
        {"--if-changed", "ls"},
        {"--if-present", "ls"},
        {"--if-version-not", "1", "ls"},
    };
    for (const auto& args : cases) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exit, 2) << ::testing::PrintToString(args);
        EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    const CliRun help = RunCli({"--help"});
    EXPECT_EQ(help.exit, 0);
    EXPECT_EQ(help.out.rfind("Usage: merivane-cli", 0), 0u);
    EXPECT_NE(help.out.find("MERIVANE_CLI_PORTS"), std::string::npos);
    const CliRun version = RunCli({"--version"});
    EXPECT_EQ(version.exit, 0);
    EXPECT_EQ(version.out, std::string("merivane-cli ") + MERIVANE_VERSION_TEXT + "\n");
    EXPECT_EQ(RunCli({"info"}, {{"MERIVANE_TIME_SCALE", "fast"}}).exit, 2);
    EXPECT_EQ(RunCli({"info"}, {{"MERIVANE_CLI_PORTS", "no-equals-sign"}}).exit, 2);
}

TEST_F(CliCommandsTest, InfoReportsIdentityOfBothProductsAndGivesTheConsoleBack) {
    struct Case {
        Product product;
        const char* name;
        const char* model;
        int bars;
        int scale;
    };
    for (const Case& c :
         {Case{Product::Brivel, "Brivel", "Brivel BG-310 Cellular Gateway", 2, 3},
          Case{Product::Korvane, "Korvane", "Korvane VT-220 Vehicle Tracker", 4, 5}}) {
        sim::DeviceOptions options = Options(c.product);
        options.autostart = true;
        sim::SimulatedDevice& device = StartDevice(std::string("tty") + c.name, options);
        const CliRun run = RunOn(device, {"--json", "info"});
        ASSERT_EQ(run.exit, 0) << run.err;
        const Json document = JsonDocument(run);
        EXPECT_EQ(document["ok"], true);
        EXPECT_EQ(document["product"], c.name);
        EXPECT_EQ(document["port"], device.LinkPath());
        EXPECT_EQ(document["model"], c.model);
        EXPECT_EQ(document["firmware"], "3.2.14.7");
        EXPECT_EQ(document["imsi"], "310410123456789");
        EXPECT_EQ(document["iccid"], "89014104279876543210");
        EXPECT_EQ(document["phone_number"], "+15551234567");
        EXPECT_EQ(document["signal_quality"], 17);
        EXPECT_EQ(document["signal_bars"], c.bars);
        EXPECT_EQ(document["signal_scale"], c.scale);
        EXPECT_EQ(document["registration"], 1);
        EXPECT_EQ(document["mobile_ip"], "10.114.23.7");
        EXPECT_EQ(document["link"], true);

        // Paused first (twice), given back last; auto-start neither asked about nor changed.
        EXPECT_EQ(LastCommand(device, kResume), kResume);
        const std::vector<std::string> received = device.ReceivedCommands();
        ASSERT_GE(received.size(), 3u);
        EXPECT_EQ(received[0], kPause);
        EXPECT_EQ(received[1], kPause);
        EXPECT_FALSE(device.ConsolePaused());
        EXPECT_TRUE(ReceivedWith(device, "<python>").empty());
        EXPECT_TRUE(device.AutostartOn());
    }
}

TEST_F(CliCommandsTest, TextOutputListsFindingsAndAMissingPathFails) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    const CliRun info = RunOn(device, {"info"});
    ASSERT_EQ(info.exit, 0) << info.err;
    EXPECT_NE(info.out.find("product:        Brivel\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("mesh_radio:     yes\n"), std::string::npos) << info.out;

    const CliRun get = RunOn(device, {"get", "mobile_simple/apn",
                                      "mgmtconnection&index=3/connectionEnabled", "no/such"});
    EXPECT_EQ(get.exit, 1);
    EXPECT_EQ(get.out,
              "mobile_simple/apn=broadband.varik.example\n"
              "mgmtconnection&index=3/connectionEnabled=off\n");
    EXPECT_NE(get.err.find("the device has no setting no/such"), std::string::npos) << get.err;

    const CliRun state =
        RunOn(device, {"--document", "state", "get", "mobile_stats/quality&max=3"});
    EXPECT_EQ(state.exit, 0);
    EXPECT_EQ(state.out, "mobile_stats/quality&max=3=2\n");
    const CliRun radio = RunOn(device, {"--document=radio", "get", "radio/node_id"});
    EXPECT_EQ(radio.exit, 0);
    EXPECT_EQ(radio.out, "radio/node_id=Brivel gateway\n");
}

TEST_F(CliCommandsTest, SetAppliesWithTheSettlePauseAndReportsWhatTheDeviceTook) {
    for (Product product : {Product::Brivel, Product::Korvane}) {
        sim::SimulatedDevice& device =
            StartDevice(product == Product::Brivel ? "ttyB" : "ttyK", Options(product));
        std::vector<std::string> args = {"--json", "set", "mobile_simple/apn=first.example",
                                         "mgmtconnection&index=3/connectionEnabled=on",
                                         "mobile_simple/apn=internet.example"};
        if (product == Product::Korvane) args.push_back("obd/fuel=40");
        const CliRun run = RunOn(device, args);
        ASSERT_EQ(run.exit, 0) << run.err;
        EXPECT_EQ(device.Setting("mobile_simple/apn"), "internet.example");
        EXPECT_EQ(device.Setting("mgmtconnection&index=3/connectionEnabled"), "on");
        Json values = {{"mobile_simple/apn", "internet.example"},
                       {"mgmtconnection&index=3/connectionEnabled", "on"}};
        if (product == Product::Korvane) {
            EXPECT_EQ(device.Setting("obd/fuel"), "40");
            values["obd/fuel"] = "40";
        }
        EXPECT_EQ(JsonDocument(run)["values"], values) << run.out;
        // One document with every setting, then the read-back; the console given back last.
        EXPECT_EQ(ReceivedWith(device, "at&usbinterface=22").size(), 1u);
        EXPECT_NE(SentSettingsDocument(device).find("<serial>"), std::string::npos);
        EXPECT_EQ(LastCommand(device, kResume), kResume);
    }
}

TEST_F(CliCommandsTest, SetRefusesUnknownPathsAndGroupsAndFailsOnAValueTheDeviceDidNotTake) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    const CliRun group = RunOn(device, {"get", "serial"});
    EXPECT_EQ(group.exit, 2) << "a group has no value of its own";
    EXPECT_NE(group.err.find("serial is a group of settings"), std::string::npos) << group.err;
    for (const auto& [assignment, exit] :
         std::vector<std::pair<std::string, int>>{{"no/such=1", 2}, {"mobile_simple=wiped", 2}}) {
        const CliRun run = RunOn(device, {"set", "mobile_simple/apn=changed", assignment});
        EXPECT_EQ(run.exit, exit) << assignment;
        EXPECT_NE(run.err.find("nothing was sent"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(ReceivedWith(device, "at&usbinterface=22").empty());
    EXPECT_EQ(device.Setting("mobile_simple/apn"), "broadband.varik.example");

    ASSERT_TRUE(device.AddFault("error:<set_setting>"));
    const CliRun refused = RunOn(device, {"set", "mobile_simple/apn=changed"});
    EXPECT_EQ(refused.exit, 1);
    EXPECT_EQ(refused.out, "mobile_simple/apn=broadband.varik.example\n");
    EXPECT_NE(refused.err.find("did not take mobile_simple/apn=changed (it reports "
                               "\"broadband.varik.example\")"),
              std::string::npos)
        << refused.err;
}

TEST_F(CliCommandsTest, SetRefusesAValueItsSettingCannotTake) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    constexpr char kPort[] = "takes a whole number from 1 to 65535";
    constexpr char kDelay[] = "takes a whole number from 0 to 36060, or -32768 for off";
    const std::pair<std::string, std::string> refused[] = {
        {"telnet_server/port=0", std::string("telnet_server/port ") + kPort},
        {"telnet_server/port=65536", std::string("telnet_server/port ") + kPort},
        {"tcp_server/port=99999999", std::string("tcp_server/port ") + kPort},
        {"TELNET_SERVER/Port=-1", std::string("TELNET_SERVER/Port ") + kPort},
        {"udp_server/port=abc", std::string("udp_server/port ") + kPort + ", not \"abc\""},
        {"serial/baud=12345", "serial/baud takes one of 300, 600, 1200,"},
        {"serial/parity=space", "serial/parity takes one of None, Odd, Even"},
        {"mobile_simple/mobile_gsm_band=3", "mobile_simple/mobile_gsm_band takes one of 1, 2, 4,"},
        {"mgmtconnection/clientConnectionReconnectTimeout=-5",
         std::string("mgmtconnection/clientConnectionReconnectTimeout ") + kDelay},
    };
    for (const auto& [assignment, why] : refused) {
        const CliRun run = RunOn(device, {"set", "mobile_simple/apn=changed", assignment});
        EXPECT_EQ(run.exit, 2) << assignment;
        EXPECT_NE(run.err.find(why), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("nothing was sent"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(ReceivedWith(device, "at&usbinterface=22").empty());

    // The ends of the ranges, "off" for a delay and the device's own spelling of a choice.
    const CliRun taken = RunOn(
        device, {"set", "telnet_server/port=65535", "tcp_server/port=1", "serial/baud=9600",
                 "serial/parity=none", "mgmtconnection/clientConnectionReconnectTimeout=-32768"});
    ASSERT_EQ(taken.exit, 0) << taken.err;
    EXPECT_EQ(device.Setting("telnet_server/port"), "65535");
    EXPECT_EQ(device.Setting("serial/baud"), "9600");
}

TEST_F(CliCommandsTest, AnAutostartProgramTheDeviceDoesNotHaveIsWarnedOf) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    ASSERT_TRUE(device.PutFile("/WEB/python/other.py", "x"));
    constexpr char kWarning[] = "warning: ";
    constexpr char kWhy[] = "the device will start a program it does not have";
    struct Step {
        std::vector<std::string> args;
        const char* warning;  // null: none
    };
    const Step steps[] = {
        {{"rm", "other.py"}, nullptr},  // auto-start is off
        {{"autostart", "on", "--command", "missing.py"},
         "Python auto-start runs missing.py, which is not in the device's Python folder"},
        {{"autostart", "on", "--command", "main.py --fast"}, nullptr},
        {{"rm", "main.py"}, "main.py is the program Python auto-start runs"},
    };
    for (const Step& step : steps) {
        const CliRun run = RunOn(device, step.args);
        const std::string what = ::testing::PrintToString(step.args);
        ASSERT_EQ(run.exit, 0) << what << run.err;
        EXPECT_EQ(run.err.find(kWhy) != std::string::npos, step.warning != nullptr)
            << what << run.err;
        if (step.warning != nullptr) {
            EXPECT_NE(run.err.find(std::string(kWarning) + step.warning), std::string::npos)
                << run.err;
        }
    }
    // Warned of, and done all the same.
    EXPECT_FALSE(device.FileContents("/WEB/python/main.py").has_value());
    EXPECT_TRUE(device.AutostartOn());
}

TEST_F(CliCommandsTest, EachCommandHasItsOwnHelp) {
    struct Case {
        std::vector<std::string> args;
        const char* usage;
        const char* listed;    // an option of the command
        const char* unlisted;  // an option of other commands only
    };
    const Case cases[] = {
        {{"upload", "--help"},
         "upload FILE\n\nsends FILE into the Python folder",
         "--if-changed",
         "--interval"},
        {{"--help", "monitor"}, "monitor\n\nprints the signal", "--count", "--check"},
        {{"set", "--help"}, "set PATH=VALUE...\n\nwrites the settings", "--check", "--if-changed"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.args);
        const std::string what = ::testing::PrintToString(c.args);
        EXPECT_EQ(run.exit, 0) << what;
        EXPECT_EQ(
            run.out.rfind(
                std::string("Usage: merivane-cli [--port PATH | --all] [OPTIONS] ") + c.usage, 0),
            0u)
            << run.out;
        EXPECT_NE(run.out.find(c.listed), std::string::npos) << what;
        EXPECT_NE(run.out.find("--port"), std::string::npos) << what;
        EXPECT_EQ(run.out.find(c.unlisted), std::string::npos) << what;
        EXPECT_EQ(run.out.find("Commands:"), std::string::npos) << what;
    }
}

TEST_F(CliCommandsTest, ADeviceWhoseSettingsDoNotParseIsServedButItsSettingsAreNotChanged) {
    sim::DeviceOptions options = Options();
    options.faults = {"bad-xml:<query_setting></query_setting>"};
    sim::SimulatedDevice& device = StartDevice("ttyA", options);
    EXPECT_EQ(RunOn(device, {"info"}).exit, 0);
    const CliRun set = RunOn(device, {"set", "mobile_simple/apn=changed"});
    EXPECT_EQ(set.exit, 1);
    EXPECT_NE(set.err.find("the device's settings are not loaded"), std::string::npos) << set.err;
    EXPECT_TRUE(ReceivedWith(device, "at&usbinterface=22").empty());
}

TEST_F(CliCommandsTest, BackupAndRestoreRoundTripAndAnExistingFileNeedsYes) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options(Product::Korvane));
    const std::string file = dir_.File("saved.cfg");
    const CliRun backup = RunOn(device, {"backup", file});
    ASSERT_EQ(backup.exit, 0) << backup.err;
    EXPECT_EQ(backup.out, "file: " + file + "\n");
    const std::string saved = ReadWholeFile(file);
    EXPECT_EQ(saved.rfind("<?xml", 0), 0u);
    EXPECT_NE(saved.find("<set_setting><mobile_simple><apn>broadband.varik.example</apn>"),
              std::string::npos);
    // It holds the APN password and the SIM PIN: owner only, also over a wider file.
    const auto mode = [&file] {
        struct stat info {};
        return ::stat(file.c_str(), &info) == 0 ? info.st_mode & 0777 : 0u;
    };
    EXPECT_EQ(mode(), 0600u);

    WriteWholeFile(file, "kept");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    EXPECT_EQ(RunOn(device, {"backup", file}).exit, 2);
    EXPECT_EQ(ReadWholeFile(file), "kept");
    EXPECT_EQ(RunOn(device, {"--yes", "backup", file}).exit, 0);
    EXPECT_EQ(ReadWholeFile(file), saved);
    EXPECT_EQ(mode(), 0600u);

    // The device stays on the line here, so that the read-back finds it.
    ASSERT_TRUE(device.SetSetting("mobile_simple/apn", "changed.example"));
    ASSERT_TRUE(device.AddFault("error:at+CFUN=1"));
    const CliRun restore = RunOn(device, {"restore", file});
    ASSERT_EQ(restore.exit, 0) << restore.err;
    EXPECT_EQ(device.Setting("mobile_simple/apn"), "broadband.varik.example");
    device.ClearFaults();

    // A real restart: the read-back may reach the device before it goes or be lost with
    // it; the settings are on the device either way, and a lost read-back is a failure.
    ASSERT_TRUE(device.SetSetting("mobile_simple/apn", "changed.example"));
    const uint64_t plugs = device.PlugCount();
    const CliRun restarted = RunOn(device, {"restore", file});
    EXPECT_TRUE(device.WaitForPlugCount(plugs + 1, 10000));
    EXPECT_EQ(device.Setting("mobile_simple/apn"), "broadband.varik.example");
    if (restarted.exit != 0) {
        EXPECT_EQ(restarted.exit, 1);
        EXPECT_NE(restarted.err.find("did not send its settings back"), std::string::npos)
            << restarted.err;
    }

    WriteWholeFile(file, "not a backup");
    const CliRun refused = RunOn(device, {"restore", file});
    EXPECT_EQ(refused.exit, 2);
    EXPECT_NE(refused.err.find("is not a configuration backup"), std::string::npos) << refused.err;
}

TEST_F(CliCommandsTest, PythonFilesTravelVerifiedBothWays) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    std::string content;
    for (int i = 0; i < 300; ++i) content += "print('line " + std::to_string(i) + "')\n";
    std::filesystem::create_directory(dir_.File("src"));
    const std::string local = dir_.File("src/job.py");
    WriteWholeFile(local, content);

    const CliRun upload = RunOn(device, {"upload", local});
    ASSERT_EQ(upload.exit, 0) << upload.err;
    EXPECT_EQ(device.FileContents("/WEB/python/job.py"), content);

    const CliRun list = RunOn(device, {"ls"});
    ASSERT_EQ(list.exit, 0) << list.err;
    EXPECT_EQ(list.out.substr(0, list.out.find('\n')), "NAME        SIZE");
    EXPECT_NE(list.out.find("job.py      " + std::to_string(content.size()) + "\n"),
              std::string::npos)
        << list.out;

    std::filesystem::create_directory(dir_.File("into"));
    const CliRun download = RunOn(device, {"--json", "download", "job.py", dir_.File("into")});
    ASSERT_EQ(download.exit, 0) << download.err;
    EXPECT_EQ(ReadWholeFile(dir_.File("into/job.py")), content);
    EXPECT_EQ(JsonDocument(download)["saved_to"], dir_.File("into/job.py"));
    // Without DEST the file goes into the current folder; an existing file needs --yes.
    EXPECT_EQ(RunOn(device, {"download", "job.py"}).exit, 0);
    EXPECT_EQ(ReadWholeFile(dir_.File("job.py")), content);
    WriteWholeFile(dir_.File("job.py"), "mine");
    EXPECT_EQ(RunOn(device, {"download", "job.py"}).exit, 2);
    EXPECT_EQ(ReadWholeFile(dir_.File("job.py")), "mine");
    EXPECT_EQ(RunOn(device, {"download", "absent.py"}).exit, 1);

    EXPECT_EQ(RunOn(device, {"rm", "job.py", "absent.py"}).exit, 1);
    EXPECT_TRUE(device.FileContents("/WEB/python/job.py").has_value());
    EXPECT_EQ(RunOn(device, {"rm", "python.zip"}).exit, 2);
    EXPECT_TRUE(device.FileContents("/WEB/python/python.zip").has_value());
    const CliRun removed = RunOn(device, {"rm", "job.py"});
    EXPECT_EQ(removed.exit, 0) << removed.err;
    EXPECT_FALSE(device.FileContents("/WEB/python/job.py").has_value());
    EXPECT_EQ(LastCommand(device, kResume), kResume);
}

TEST_F(CliCommandsTest, AFailedTransferIsRetriedAsOftenAsAllowed) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    const std::string local = dir_.File("flaky.py");
    WriteWholeFile(local, std::string(5000, 'x') + "\n");

    ASSERT_TRUE(device.AddFault("corrupt-upload"));
    const CliRun gaveUp = RunOn(device, {"--retries", "0", "upload", local});
    EXPECT_EQ(gaveUp.exit, 1);
    EXPECT_NE(gaveUp.err.find("did not correctly transfer"), std::string::npos) << gaveUp.err;
    EXPECT_EQ(gaveUp.err.find("Select Retry"), std::string::npos) << "no buttons on a command line";

    ASSERT_TRUE(device.AddFault("corrupt-upload"));
    const CliRun retried = RunOn(device, {"--json", "--retries", "1", "upload", local});
    EXPECT_EQ(retried.exit, 0) << retried.err;
    const Json messages = JsonDocument(retried)["messages"];
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [](const Json& message) {
        return message.get<std::string>().find("did not correctly transfer") != std::string::npos;
    })) << retried.out;
    EXPECT_EQ(device.FileContents("/WEB/python/flaky.py"), std::string(5000, 'x') + "\n");
}

TEST_F(CliCommandsTest, AutostartChangesOnlyWhenToldAndNeedsACommandLine) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    ASSERT_TRUE(device.SetSetting("python/command", ""));
    EXPECT_EQ(RunOn(device, {"autostart", "on"}).exit, 2);
    EXPECT_FALSE(device.AutostartOn());

    const CliRun on = RunOn(device, {"autostart", "on", "--command", "job.py -v"});
    ASSERT_EQ(on.exit, 0) << on.err;
    EXPECT_EQ(on.out, "autostart:    on\ncommand_line: job.py -v\n");
    EXPECT_TRUE(device.AutostartOn());
    EXPECT_EQ(device.Setting("python/command"), "job.py -v");

    EXPECT_EQ(RunOn(device, {"ls"}).exit, 0);
    EXPECT_TRUE(device.AutostartOn());

    EXPECT_EQ(RunOn(device, {"autostart", "off"}).exit, 0);
    EXPECT_FALSE(device.AutostartOn());
    EXPECT_EQ(device.Setting("python/command"), "job.py -v");
}

TEST_F(CliCommandsTest, RebootLeavesTheConsoleToTheRestartedDevice) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options(Product::Korvane));
    const CliRun run = RunOn(device, {"reboot"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(LastCommand(device, "at+CFUN=1"), "at+CFUN=1");
    EXPECT_TRUE(device.WaitForPlugCount(2, 10000));
}

TEST_F(CliCommandsTest, FirmwareUpdatesNeedConfirmationAndReportTheNewVersion) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    const std::string image = dir_.File("image.bin");
    WriteWholeFile(image, "IMAGE version=5.0.1.2\n" + std::string(20000, 'f'));

    const CliRun unconfirmed = RunOn(device, {"firmware", image});
    EXPECT_EQ(unconfirmed.exit, 2);
    EXPECT_NE(unconfirmed.err.find("add --yes"), std::string::npos) << unconfirmed.err;
    EXPECT_TRUE(device.ReceivedCommands().empty());

    const CliRun run = RunOn(device, {"--yes", "--json", "firmware", image});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(device.FirmwareVersion(), "5.0.1.2");
    const Json document = JsonDocument(run);
    EXPECT_EQ(document["firmware_before"], "3.2.14.7");
    EXPECT_EQ(document["firmware"], "5.0.1.2");

    EXPECT_EQ(RunOn(device, {"--yes", "firmware", dir_.File("missing.bin")}).exit, 2);

    const std::string radioImage = dir_.File("radio.ebl");
    WriteWholeFile(radioImage, "version=0x4102\n" + std::string(3000, 'r'));
    const CliRun radio = RunOn(device, {"--yes", "radio-firmware", radioImage});
    ASSERT_EQ(radio.exit, 0) << radio.err;
    EXPECT_EQ(device.StateValue("zigbee_state/firmware_version"), "0x4102");

    sim::SimulatedDevice& tracker = StartDevice("ttyK", Options(Product::Korvane));
    const CliRun none = RunOn(tracker, {"--yes", "radio-firmware", radioImage});
    EXPECT_EQ(none.exit, 1);
    EXPECT_NE(none.err.find("no mesh radio module"), std::string::npos);
}

TEST_F(CliCommandsTest, ATerminalShowsProgressAndIsAskedBeforeAFirmwareUpdate) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    const std::string link = device.LinkPath();
    const CliRun shown = RunCli({"--port", link, "info"}, {}, dir_.Path().string(), {true, ""});
    ASSERT_EQ(shown.exit, 0) << shown.err;
    EXPECT_NE(shown.err.find("% Reading device settings..."), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find("[#####"), std::string::npos) << shown.err;
    EXPECT_EQ(shown.out.find('\r'), std::string::npos);
    // Without a terminal nothing but messages goes to standard error.
    const CliRun quiet = RunOn(device, {"info"});
    EXPECT_EQ(quiet.exit, 0);
    EXPECT_EQ(quiet.err, "");

    const std::string image = dir_.File("image.bin");
    WriteWholeFile(image, "IMAGE version=7.1.0.0\n" + std::string(4000, 'f'));
    LastCommand(device, kResume);
    device.ClearReceivedCommands();
    const CliRun declined =
        RunCli({"--port", link, "firmware", image}, {}, dir_.Path().string(), {true, "n\n"});
    EXPECT_EQ(declined.exit, 1);
    EXPECT_NE(declined.err.find("Update the firmware of the device on " + link + " from " + image +
                                "? [y/N]"),
              std::string::npos)
        << declined.err;
    EXPECT_TRUE(device.ReceivedCommands().empty());

    const CliRun accepted =
        RunCli({"--port", link, "firmware", image}, {}, dir_.Path().string(), {true, "y\n"});
    ASSERT_EQ(accepted.exit, 0) << accepted.err;
    EXPECT_NE(accepted.err.find("Sending image.bin"), std::string::npos);
    EXPECT_EQ(device.FirmwareVersion(), "7.1.0.0");
}

TEST_F(CliCommandsTest, DiscoveryUsesTheOneDeviceAndRefusesToGuessAmongSeveral) {
    sim::SimulatedDevice& first = StartDevice("ttyA", Options());
    sim::SimulatedDevice& second = StartDevice("ttyB", Options(Product::Korvane));
    const std::string one =
        "Varik International=" + first.LinkPath() + ";Other Maker=" + second.LinkPath();
    const CliRun single = RunCli({"--json", "info"}, {{"MERIVANE_CLI_PORTS", one}});
    ASSERT_EQ(single.exit, 0) << single.err;
    EXPECT_EQ(JsonDocument(single)["port"], first.LinkPath());

    const std::string both =
        "Varik International=" + first.LinkPath() + ";Sierra Wireless=" + second.LinkPath();
    LastCommand(first, kResume);
    first.ClearReceivedCommands();
    const CliRun several = RunCli({"info"}, {{"MERIVANE_CLI_PORTS", both}});
    EXPECT_EQ(several.exit, 3);
    EXPECT_NE(several.err.find(first.LinkPath()), std::string::npos);
    EXPECT_NE(several.err.find(second.LinkPath()), std::string::npos);
    EXPECT_TRUE(first.ReceivedCommands().empty());
    EXPECT_TRUE(second.ReceivedCommands().empty());

    const CliRun ports =
        RunCli({"ports"}, {{"MERIVANE_CLI_PORTS", both + ";Varik=" + dir_.File("gone")}});
    EXPECT_EQ(ports.exit, 0);
    EXPECT_NE(ports.out.find(first.LinkPath() + "  Varik International  yes"), std::string::npos)
        << ports.out;
    EXPECT_NE(ports.out.find(second.LinkPath() + "  Sierra Wireless      yes"), std::string::npos)
        << ports.out;
    EXPECT_NE(ports.out.find(dir_.File("gone")), std::string::npos) << ports.out;

    EXPECT_EQ(RunCli({"info"}, {{"MERIVANE_CLI_PORTS", ""}}).exit, 3);
    EXPECT_EQ(RunCli({"--port", dir_.File("gone"), "info"}).exit, 3);
    sim::DeviceOptions silent = Options();
    silent.faults = {"silent:at"};
    sim::SimulatedDevice& mute = StartDevice("ttyMute", silent);
    const CliRun muteRun = RunOn(mute, {"info"});
    EXPECT_EQ(muteRun.exit, 3);
    EXPECT_EQ(LastCommand(mute, kResume), kResume);
}

TEST_F(CliCommandsTest, DebugKeepsAPrivateCommandLog) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    const std::string log = dir_.File("trace.log");
    ASSERT_EQ(RunOn(device, {"--debug", "--log", log, "ls"}).exit, 0);
    struct stat info {};
    ASSERT_EQ(stat(log.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_NE(ReadWholeFile(log).find(rci::kListPythonFiles), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("command.log")));
    ASSERT_EQ(RunOn(device, {"--debug", "info"}).exit, 0);
    EXPECT_TRUE(std::filesystem::exists(dir_.File("command.log")));
    // Naming a log asks for one.
    const std::string named = dir_.File("named.log");
    ASSERT_EQ(RunOn(device, {"--log", named, "ls"}).exit, 0);
    EXPECT_TRUE(std::filesystem::exists(named));
}

// A sample says what info says of the same values, in info's words.
TEST_F(CliCommandsTest, MonitorPrintsOneJsonObjectASample) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options(Product::Korvane));
    const Json info = JsonDocument(RunOn(device, {"--json", "info"}));
    const CliRun run = RunOn(device, {"monitor", "--count", "3", "--json"});
    ASSERT_EQ(run.exit, 0) << run.err;
    std::istringstream lines(run.out);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        const Json sample = Json::parse(line);
        EXPECT_EQ(sample["dbm"], -79);
        EXPECT_EQ(sample["port"], device.LinkPath());
        for (const char* key : {"signal_quality", "signal_bars", "signal_scale", "registration"})
            EXPECT_EQ(sample[key], info[key]) << key << ": " << line;
        EXPECT_EQ(sample["signal_bars"], 4);
        EXPECT_EQ(sample["registration"], 1);
    }
    EXPECT_EQ(count, 3);
}

// Local files are judged before the device is talked to; saving never replaces a
// device, FIFO or socket.
TEST_F(CliCommandsTest, LocalFilesThatCannotServeAreRefusedBeforeTheDeviceHearsAnything) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    const std::string fifo = dir_.File("pipe.cfg");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(dir_.File("folder"));
    const std::vector<std::vector<std::string>> cases = {
        {"upload", dir_.File("folder")},
        {"restore", dir_.File("absent.cfg")},
        {"backup", fifo},
        {"--yes", "download", "main.py", "/dev/null"},
    };
    for (const auto& args : cases) {
        const CliRun run = RunOn(device, args);
        EXPECT_EQ(run.exit, 2) << ::testing::PrintToString(args) << run.err;
    }
    EXPECT_TRUE(device.ReceivedCommands().empty());
    struct stat info {};
    ASSERT_EQ(stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    ASSERT_EQ(stat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(CliCommandsTest, ListColumnsLineUpNamesWithLettersBeyondAscii) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    ASSERT_TRUE(
        device.PutFile("/WEB/python/\xC3\xBC"
                       "ber.py",
                       "x"));
    ASSERT_TRUE(device.PutFile("/WEB/python/plain.py", "y"));
    const CliRun run = RunOn(device, {"ls"});
    ASSERT_EQ(run.exit, 0) << run.err;
    std::vector<size_t> secondColumn;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        const size_t gap = line.find("  ");
        ASSERT_NE(gap, std::string::npos) << line;
        const size_t next = line.find_first_not_of(' ', gap);
        secondColumn.push_back(CharacterCount(std::string_view(line).substr(0, next)));
    }
    ASSERT_GE(secondColumn.size(), 3u) << run.out;
    for (size_t column : secondColumn) EXPECT_EQ(column, secondColumn.front()) << run.out;
}

}  // namespace
}  // namespace merivane::test
