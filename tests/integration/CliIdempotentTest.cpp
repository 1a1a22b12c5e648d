// merivane-cli commands that change only what differs, --check that changes nothing, and
// the "changed" of every JSON document, read with a real JSON parser.

#include "CliTestSupport.h"

namespace merivane::test {
namespace {

constexpr char kSetRequest[] = "<set_setting>";
constexpr char kUploadStart[] = "AT&USBINTERFACE=17";
constexpr char kApn[] = "mobile_simple/apn";
constexpr char kDefaultApn[] = "broadband.varik.example";

class CliIdempotentTest : public CliFixture {
  protected:
    static Json Change(const std::string& path, const Json& before, const Json& after) {
        return {{"path", path}, {"before", before}, {"after", after}};
    }
};

TEST_F(CliIdempotentTest, SetSendsOnlyWhatDiffersAndCheckSendsNothing) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    const std::string enabled = "mgmtconnection&index=3/connectionEnabled";
    const std::vector<std::string> wanted = {std::string(kApn) + "=fleet.example",
                                             enabled + "=off"};
    auto args = [&](std::vector<std::string> front) {
        front.insert(front.end(), wanted.begin(), wanted.end());
        return front;
    };
    const Json firstChange = Json::array({Change(kApn, kDefaultApn, "fleet.example")});

    const CliRun check = RunOn(device, args({"--json", "--check", "set"}));
    ASSERT_EQ(check.exit, 0) << check.err;
    EXPECT_EQ(JsonDocument(check)["changed"], true);
    EXPECT_EQ(JsonDocument(check)["changes"], firstChange);
    const CliRun checkText = RunOn(device, args({"--check", "set"}));
    EXPECT_EQ(
        checkText.out,
        "would_change: yes\n"
        "PATH                                      CURRENT                  WANTED         CHANGE\n"
        "mobile_simple/apn                         broadband.varik.example  fleet.example  yes\n"
        "mgmtconnection&index=3/connectionEnabled  off                      off            no\n");
    EXPECT_TRUE(ReceivedWith(device, kSetRequest).empty());
    EXPECT_EQ(device.Setting(kApn), kDefaultApn);

    const CliRun applied = RunOn(device, args({"--json", "set"}));
    ASSERT_EQ(applied.exit, 0) << applied.err;
    EXPECT_EQ(JsonDocument(applied)["changed"], true);
    EXPECT_EQ(JsonDocument(applied)["changes"], firstChange);
    EXPECT_EQ(device.Setting(kApn), "fleet.example");
    EXPECT_EQ(ReceivedWith(device, kSetRequest).size(), 1u);

    // Everything matches now: no request, no settle pause, and a check that finds nothing.
    for (const char* mode : {"--json", "--check"}) {
        const CliRun again = RunOn(device, args({"--json", mode, "set"}));
        ASSERT_EQ(again.exit, 0) << mode << again.err;
        EXPECT_EQ(JsonDocument(again)["changed"], false) << mode;
        EXPECT_EQ(JsonDocument(again)["changes"], Json::array()) << mode;
    }
    EXPECT_EQ(ReceivedWith(device, kSetRequest).size(), 1u);

    const CliRun unknown = RunOn(device, {"--check", "set", "no/such=1"});
    EXPECT_EQ(unknown.exit, 2);
}

TEST_F(CliIdempotentTest, UploadIfChangedSendsOnlyADifferentFile) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    const std::string local = dir_.File("job.py");
    const std::string stored = "/WEB/python/job.py";
    struct Step {
        const char* content;  // of the local file
        std::vector<std::string> options;
        bool changed;
        bool sent;
    };
    const Step steps[] = {
        {"print(1)\n", {"--check", "--if-changed"}, true, false},  // absent on the device
        {"print(1)\n", {"--if-changed"}, true, true},
        {"print(1)\n", {"--if-changed"}, false, false},
        {"print(1)\n", {"--check", "--if-changed"}, false, false},
        // Without --if-changed it always goes; the same file again changes nothing, and a
        // check compares the digests as --if-changed does.
        {"print(1)\n", {}, false, true},
        {"print(1)\n", {"--check"}, false, false},
        {"print(2)\n", {"--check", "--if-changed"}, true, false},
        {"print(2)\n", {"--if-changed"}, true, true},
    };
    std::string onDevice;
    for (const Step& step : steps) {
        WriteWholeFile(local, step.content);
        device.ClearReceivedCommands();
        std::vector<std::string> args = {"--json"};
        args.insert(args.end(), step.options.begin(), step.options.end());
        args.insert(args.end(), {"upload", local});
        const CliRun run = RunOn(device, args);
        const std::string what = ::testing::PrintToString(args) + " with " + step.content;
        ASSERT_EQ(run.exit, 0) << what << run.err;
        EXPECT_EQ(JsonDocument(run)["changed"], step.changed) << what;
        EXPECT_EQ(ReceivedWith(device, kUploadStart).size(), step.sent ? 1u : 0u) << what;
        if (step.sent) onDevice = step.content;
        EXPECT_EQ(device.FileContents(stored).value_or(""), onDevice) << what;
    }
    // A name the upload refuses is refused by the check too, before the device is asked.
    const std::string refused = dir_.File("a&b.py");
    WriteWholeFile(refused, "x");
    device.ClearReceivedCommands();
    EXPECT_EQ(RunOn(device, {"--check", "upload", refused}).exit, 2);
    EXPECT_TRUE(ReceivedWith(device, "usbinterface=41").empty());
}

TEST_F(CliIdempotentTest, RemoveIfPresentAndAutostartChangeOnlyWhatDiffers) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    ASSERT_TRUE(device.PutFile("/WEB/python/old.py", "x"));
    struct Step {
        std::vector<std::string> args;
        int exit;
        bool changed;
        bool oldKept;
    };
    const Step steps[] = {
        {{"--check", "rm", "--if-present", "old.py", "absent.py"}, 0, true, true},
        {{"rm", "old.py", "absent.py"}, 1, false, true},  // all named files must be there
        {{"rm", "--if-present", "old.py", "absent.py"}, 0, true, false},
        {{"rm", "--if-present", "old.py"}, 0, false, false},
        {{"--check", "rm", "python.zip"}, 2, false, false},
    };
    for (const Step& step : steps) {
        std::vector<std::string> args = step.args;
        args.insert(args.begin(), "--json");
        const CliRun run = RunOn(device, args);
        EXPECT_EQ(run.exit, step.exit) << ::testing::PrintToString(args) << run.err;
        EXPECT_EQ(JsonDocument(run)["changed"], step.changed) << ::testing::PrintToString(args);
        EXPECT_EQ(device.FileContents("/WEB/python/old.py").has_value(), step.oldKept);
    }

    const std::vector<std::string> on = {"--json", "autostart", "on", "--command", "job.py"};
    const CliRun switched = RunOn(device, on);
    ASSERT_EQ(switched.exit, 0) << switched.err;
    EXPECT_EQ(JsonDocument(switched)["command"], "autostart");
    EXPECT_EQ(JsonDocument(switched)["command_line"], "job.py");
    EXPECT_EQ(JsonDocument(switched)["changes"],
              Json::array({Change("python/state", "off", "on"),
                           Change("python/command", "main.py", "job.py")}));
    const size_t sent = ReceivedWith(device, kSetRequest).size();
    const CliRun again = RunOn(device, on);
    ASSERT_EQ(again.exit, 0) << again.err;
    EXPECT_EQ(JsonDocument(again)["changed"], false);
    const CliRun off = RunOn(device, {"--json", "--check", "autostart", "off"});
    EXPECT_EQ(JsonDocument(off)["changes"], Json::array({Change("python/state", "on", "off")}));
    EXPECT_EQ(ReceivedWith(device, kSetRequest).size(), sent);
    EXPECT_TRUE(device.AutostartOn());
}

TEST_F(CliIdempotentTest, FirmwareIfVersionNotUpdatesOnlyAnotherVersion) {
    sim::SimulatedDevice& device = StartDevice("ttyA", Options());
    const std::string image = dir_.File("image.bin");
    WriteWholeFile(image, "IMAGE version=5.0.1.2\n" + std::string(8000, 'f'));
    struct Step {
        std::vector<std::string> options;
        int exit;
        bool changed;
        bool imageSent;
        const char* firmwareAfter;
    };
    const Step steps[] = {
        // A check needs no confirmation and sends no image.
        {{"--check", "--if-version-not", "5.0.1.2"}, 0, true, false, "3.2.14.7"},
        {{"--yes", "--if-version-not", "3.2.14.7"}, 0, false, false, "3.2.14.7"},
        {{"--yes", "--if-version-not", "5.0.1.2"}, 0, true, true, "5.0.1.2"},
        {{"--yes", "--if-version-not", "5.0.1.2"}, 0, false, false, "5.0.1.2"},
        // An image of another version than the one asked for would be sent on every run.
        {{"--yes", "--if-version-not=6.0.0.0"}, 1, true, true, "5.0.1.2"},
    };
    for (const Step& step : steps) {
        std::vector<std::string> args = {"--json"};
        args.insert(args.end(), step.options.begin(), step.options.end());
        args.insert(args.end(), {"firmware", image});
        device.ClearReceivedCommands();
        const CliRun run = RunOn(device, args);
        const std::string what = ::testing::PrintToString(args);
        EXPECT_EQ(run.exit, step.exit) << what << run.err;
        EXPECT_EQ(JsonDocument(run)["changed"], step.changed) << what;
        EXPECT_EQ(ReceivedWith(device, kUploadStart).size(), step.imageSent ? 1u : 0u) << what;
        EXPECT_EQ(device.FirmwareVersion(), step.firmwareAfter) << what;
        if (step.exit != 0) {
            EXPECT_NE(run.err.find("reports firmware 5.0.1.2 after the update, not 6.0.0.0"),
                      std::string::npos)
                << run.err;
        }
    }
}

// Read-only commands, refusals and several devices: one document each, with "changed".
TEST_F(CliIdempotentTest, EveryJsonDocumentParsesAndSaysWhetherTheDeviceChanged) {
    sim::SimulatedDevice& first = StartDevice("ttyA", Options());
    sim::SimulatedDevice& second = StartDevice("ttyB", Options(sim::Product::Korvane));
    // A file name with a byte that is not UTF-8 on its own, as a device may send it.
    ASSERT_TRUE(first.PutFile("/WEB/python/caf\xE9.py", "x"));
    struct Case {
        std::vector<std::string> args;
        int exit;
        bool changed;
    };
    const Case cases[] = {
        {{"info"}, 0, false},
        {{"get", kApn}, 0, false},
        {{"get", "no/such"}, 1, false},
        {{"ls"}, 0, false},
        {{"backup", dir_.File("saved.cfg")}, 0, false},
        {{"download", "main.py", dir_.File("main.py")}, 0, false},
        {{"set", "no/such=1"}, 2, false},
        {{"autostart", "on", "--command", "main.py"}, 0, true},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "--json");
        const CliRun run = RunOn(first, args);
        const std::string what = ::testing::PrintToString(args);
        EXPECT_EQ(run.exit, c.exit) << what << run.err;
        const Json document = JsonDocument(run);
        EXPECT_EQ(document["exit"], c.exit) << what;
        EXPECT_EQ(document["changed"], c.changed) << what;
    }

    const std::string ports =
        "Varik International=" + first.LinkPath() + ";Varik International=" + second.LinkPath();
    for (const bool changed : {true, false}) {
        const CliRun all = RunCli({"--all", "--json", "set", std::string(kApn) + "=caf\xC3\xA9"},
                                  {{"MERIVANE_CLI_PORTS", ports}}, dir_.Path().string());
        ASSERT_EQ(all.exit, 0) << all.err;
        const Json document = JsonDocument(all);
        EXPECT_EQ(document["changed"], changed);
        ASSERT_EQ(document["devices"].size(), 2u) << all.out;
        for (const Json& device : document["devices"])
            EXPECT_EQ(device["document"]["changed"], changed) << device;
    }
}

}  // namespace
}  // namespace merivane::test
