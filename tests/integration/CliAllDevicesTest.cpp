// merivane-cli --all: several simulated devices at once, one process each.

#include <filesystem>

#include "CliTestSupport.h"

namespace merivane::test {
namespace {

using sim::Product;

class CliAllDevicesTest : public CliFixture {
  protected:
    // The discovery list for the devices.
    static std::string PortList(const std::vector<const sim::SimulatedDevice*>& devices) {
        std::string list;
        for (const sim::SimulatedDevice* device : devices)
            list += "Varik International=" + device->LinkPath() + ";";
        return list;
    }
    CliRun RunAll(const std::vector<const sim::SimulatedDevice*>& devices,
                  std::vector<std::string> args) {
        args.insert(args.begin(), "--all");
        return RunCli(args, {{"MERIVANE_CLI_PORTS", PortList(devices)}}, dir_.Path().string());
    }
    // The entry of the device on `port` in a --json run's list of devices (null when absent).
    static Json DeviceEntry(const Json& document, const std::string& port) {
        for (const Json& entry : document.value("devices", Json::array()))
            if (entry.value("port", "") == port) return entry;
        ADD_FAILURE() << "no entry for " << port << " in " << document;
        return Json::object();
    }
};

TEST_F(CliAllDevicesTest, OneSilentDeviceFailsWhileTheOtherIsDone) {
    sim::SimulatedDevice& good = StartDevice("ttyGood", Options(Product::Korvane));
    sim::DeviceOptions silent = Options();
    silent.faults = {"silent:at"};
    sim::SimulatedDevice& mute = StartDevice("ttyMute", silent);

    const CliRun run = RunAll({&good, &mute}, {"info"});
    EXPECT_EQ(run.exit, 1);
    EXPECT_NE(run.out.find("== " + good.LinkPath() + " ==\nstatus:         Connected (" +
                           good.LinkPath() +
                           ")\n"
                           "product:        Korvane\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("== " + mute.LinkPath() + " =="), std::string::npos);
    EXPECT_NE(run.out.find("\nPORT"), std::string::npos);
    EXPECT_NE(run.out.find(good.LinkPath() + "  done       0"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(mute.LinkPath() + "  no device  3     the device on " + mute.LinkPath() +
                           " did not name its product"),
              std::string::npos)
        << run.out;
    // The failure reached standard error while it ran, marked with its port.
    EXPECT_NE(run.err.find("[" + mute.LinkPath() + "] the device on"), std::string::npos)
        << run.err;
    EXPECT_EQ(LastCommand(good, "AT&usbinterface=55,go"), "AT&usbinterface=55,go");

    const CliRun json = RunAll({&good, &mute}, {"--json", "info"});
    EXPECT_EQ(json.exit, 1);
    EXPECT_EQ(std::count(json.out.begin(), json.out.end(), '\n'), 1);
    const Json document = JsonDocument(json);
    EXPECT_EQ(document["ok"], false);
    Json goodEntry = DeviceEntry(document, good.LinkPath());
    Json muteEntry = DeviceEntry(document, mute.LinkPath());
    EXPECT_EQ(goodEntry["result"], "done");
    EXPECT_EQ(goodEntry["document"]["product"], "Korvane");
    EXPECT_EQ(goodEntry["document"]["imsi"], "310410123456789");
    EXPECT_EQ(muteEntry["exit"], 3);
    EXPECT_EQ(muteEntry["document"]["product"], nullptr) << muteEntry;
}

// diff exits 1 for a difference only: a device it could not compare makes the run exit 4,
// alone or beside devices that differ.
TEST_F(CliAllDevicesTest, DiffTellsADifferenceFromAFailure) {
    const std::string file = dir_.File("golden.cfg");
    WriteWholeFile(file,
                   "<rci_request version='1.1'><set_setting><mobile_simple><apn>golden.example"
                   "</apn></mobile_simple></set_setting></rci_request>");
    sim::SimulatedDevice& same = StartDevice("ttySame", Options());
    ASSERT_TRUE(same.SetSetting("mobile_simple/apn", "golden.example"));
    sim::SimulatedDevice& other = StartDevice("ttyOther", Options());
    ASSERT_TRUE(other.SetSetting("mobile_simple/apn", "other.example"));
    sim::DeviceOptions unreadable = Options();
    unreadable.faults = {"bad-xml:<query_setting></query_setting>"};
    sim::SimulatedDevice& broken = StartDevice("ttyBroken", unreadable);

    struct Case {
        std::vector<const sim::SimulatedDevice*> devices;
        std::vector<std::string> results;
        int exit;
    };
    const Case cases[] = {{{&same, &other}, {"done", "differs"}, 1},
                          {{&other, &broken}, {"differs", "failed"}, 4},
                          {{&same, &broken}, {"done", "failed"}, 4}};
    for (const Case& c : cases) {
        const CliRun run = RunAll(c.devices, {"--json", "diff", file});
        EXPECT_EQ(run.exit, c.exit) << run.out << run.err;
        const Json document = JsonDocument(run);
        for (size_t i = 0; i < c.devices.size(); ++i)
            EXPECT_EQ(DeviceEntry(document, c.devices[i]->LinkPath())["result"], c.results[i]);
    }
    const CliRun alone = RunOn(broken, {"diff", file});
    EXPECT_EQ(alone.exit, 4) << alone.err;
}

TEST_F(CliAllDevicesTest, EachDeviceKeepsItsOwnProductDocumentsAndFiles) {
    sim::SimulatedDevice& gateway = StartDevice("ttyGateway", Options(Product::Brivel));
    sim::SimulatedDevice& tracker = StartDevice("ttyTracker", Options(Product::Korvane));

    const CliRun set = RunAll({&gateway, &tracker},
                              {"--json", "--debug", "set", "mobile_simple/apn=fleet.example"});
    ASSERT_EQ(set.exit, 0) << set.err;
    EXPECT_EQ(gateway.Setting("mobile_simple/apn"), "fleet.example");
    EXPECT_EQ(tracker.Setting("mobile_simple/apn"), "fleet.example");
    // Each device's own document went to it: the tracker's has its vehicle settings.
    EXPECT_EQ(SentSettingsDocument(gateway).find("<obd>"), std::string::npos);
    EXPECT_NE(SentSettingsDocument(tracker).find("<obd>"), std::string::npos);
    const Json document = JsonDocument(set);
    EXPECT_EQ(DeviceEntry(document, gateway.LinkPath())["document"]["product"], "Brivel");
    EXPECT_EQ(DeviceEntry(document, tracker.LinkPath())["document"]["product"], "Korvane");

    // A command log per device, named after its port, holding only that device's traffic.
    const std::string gatewayLog =
        ReadWholeFile(dir_.File("command-" + PortTagOf(gateway) + ".log"));
    const std::string trackerLog =
        ReadWholeFile(dir_.File("command-" + PortTagOf(tracker) + ".log"));
    EXPECT_NE(gatewayLog.find("fleet.example"), std::string::npos);
    EXPECT_NE(trackerLog.find("<obd>"), std::string::npos);
    EXPECT_EQ(gatewayLog.find("<obd>"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("command.log")));

    // Files the command writes get the port's name, one per device.
    const CliRun backup = RunAll({&gateway, &tracker}, {"backup", "fleet.cfg"});
    ASSERT_EQ(backup.exit, 0) << backup.err;
    EXPECT_EQ(ReadWholeFile(dir_.File("fleet-" + PortTagOf(gateway) + ".cfg")).find("<obd>"),
              std::string::npos);
    EXPECT_NE(ReadWholeFile(dir_.File("fleet-" + PortTagOf(tracker) + ".cfg")).find("<obd>"),
              std::string::npos);
    EXPECT_NE(backup.out.find(gateway.LinkPath() + "  done    0"), std::string::npos) << backup.out;
}

TEST_F(CliAllDevicesTest, RepeatedPortsRunLikeAllAndFirmwareIsConfirmedOnce) {
    sim::SimulatedDevice& first = StartDevice("ttyFirst", Options());
    sim::SimulatedDevice& second = StartDevice("ttySecond", Options());
    const std::string image = dir_.File("image.bin");
    WriteWholeFile(image, "IMAGE version=6.0.0.1\n" + std::string(8000, 'i'));
    const std::vector<std::string> ports = {"--port", first.LinkPath(), "--port",
                                            second.LinkPath()};

    std::vector<std::string> unconfirmed = ports;
    unconfirmed.insert(unconfirmed.end(), {"firmware", image});
    EXPECT_EQ(RunCli(unconfirmed).exit, 2);
    EXPECT_TRUE(first.ReceivedCommands().empty());

    std::vector<std::string> confirmed = ports;
    confirmed.insert(confirmed.end(), {"--yes", "firmware", image});
    const CliRun run = RunCli(confirmed);
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(first.FirmwareVersion(), "6.0.0.1");
    EXPECT_EQ(second.FirmwareVersion(), "6.0.0.1");

    EXPECT_EQ(RunAll({}, {"info"}).exit, 3);
}

TEST_F(CliAllDevicesTest, APortNamedAgainRunsOnceAndPortsOfOneNameKeepTheirOwnFiles) {
    sim::SimulatedDevice& device = StartDevice("ttyOnce", Options());
    // The same port twice, and once more by another name: one device, one process.
    const std::string alias = dir_.File("ttyAlias");
    std::filesystem::create_symlink(device.LinkPath(), alias);
    const CliRun once = RunCli({"--port", device.LinkPath(), "--port", device.LinkPath(), "--port",
                                alias, "--json", "info"});
    ASSERT_EQ(once.exit, 0) << once.err;
    const Json document = JsonDocument(once);
    EXPECT_EQ(document["port"], device.LinkPath());
    EXPECT_FALSE(document.contains("devices")) << once.out;

    // "tty:X" and "tty_X" both make the tag "..._tty_X"; the second device's files get "-2".
    sim::SimulatedDevice& gateway = StartDevice("tty:X", Options(Product::Brivel));
    sim::SimulatedDevice& tracker = StartDevice("tty_X", Options(Product::Korvane));
    ASSERT_EQ(PortTagOf(gateway), PortTagOf(tracker));
    const std::string tag = PortTagOf(gateway);
    const CliRun backup = RunCli({"--port", gateway.LinkPath(), "--port", tracker.LinkPath(),
                                  "--debug", "backup", "fleet.cfg"},
                                 {}, dir_.Path().string());
    ASSERT_EQ(backup.exit, 0) << backup.err;
    const std::string gatewayBackup = ReadWholeFile(dir_.File("fleet-" + tag + ".cfg"));
    const std::string gatewayLog = ReadWholeFile(dir_.File("command-" + tag + ".log"));
    const std::string trackerLog = ReadWholeFile(dir_.File("command-" + tag + "-2.log"));
    EXPECT_FALSE(gatewayBackup.empty());
    EXPECT_EQ(gatewayBackup.find("<obd>"), std::string::npos);
    EXPECT_NE(ReadWholeFile(dir_.File("fleet-" + tag + "-2.cfg")).find("<obd>"), std::string::npos);
    EXPECT_FALSE(gatewayLog.empty());
    EXPECT_EQ(gatewayLog.find("<obd>"), std::string::npos);
    EXPECT_NE(trackerLog.find("<obd>"), std::string::npos);
}

// A termination request to the fleet's own process reaches every device's
// process: each ends cleanly, giving its device the console and the port back,
// and the run ends with 130.
TEST_F(CliAllDevicesTest, TerminatingTheFleetEndsEveryDeviceCleanly) {
    sim::SimulatedDevice& first = StartDevice("ttyOne", Options());
    sim::SimulatedDevice& second = StartDevice("ttyTwo", Options(Product::Korvane));
    bool terminated = false;
    const CliRun run =
        RunCli({"--all", "monitor"}, {{"MERIVANE_CLI_PORTS", PortList({&first, &second})}},
               dir_.Path().string(), {}, 120000, [&](pid_t pid, const CliRun& sofar) {
                   const bool bothSampled =
                       sofar.out.find("[" + first.LinkPath() + "]") != std::string::npos &&
                       sofar.out.find("[" + second.LinkPath() + "]") != std::string::npos;
                   if (!terminated && bothSampled) {
                       kill(pid, SIGTERM);
                       terminated = true;
                   }
               });
    ASSERT_TRUE(terminated) << run.out << run.err;
    EXPECT_EQ(run.exit, 130) << run.err;
    for (const sim::SimulatedDevice* device : {&first, &second}) {
        EXPECT_EQ(LastCommand(*device, "AT&usbinterface=55,go"), "AT&usbinterface=55,go");
        EXPECT_EQ(RunOn(*device, {"info"}).exit, 0) << "nobody holds the port any more";
    }
}

}  // namespace
}  // namespace merivane::test
