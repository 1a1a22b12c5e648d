// The desktop program and merivane-cli run the same operations: for the same device they
// find the same identity and send the same settings document, byte for byte.

#include "CliTestSupport.h"
#include "app/BatchExecutor.h"
#include "app/CKestrionApp.h"
#include "app/DeviceStatus.h"
#include "app/Product.h"
#include "settings/Bindings.h"

namespace merivane::test {
namespace {

using sim::Product;

class CliParityTest : public CliFixture {
  protected:
    // Starts a session the way the desktop program does (console paused, product asked
    // for, identified) in this process.
    bool StartApp(CKestrionApp& app, HeadlessExecutor& executor,
                  const sim::SimulatedDevice& device) {
        if (!app.Link().OpenNamedPort(device.LinkPath())) return false;
        app.PauseDeviceConsole();
        g_product = app.QueryProduct();
        return !g_product.empty() && app.IdentifyDevice(executor);
    }
};

TEST_F(CliParityTest, BothFindTheSameIdentity) {
    for (Product product : {Product::Brivel, Product::Korvane}) {
        sim::DeviceOptions options = Options(product);
        options.sim = product != Product::Korvane;  // the tracker without a SIM card
        options.signalQuality = 12;
        sim::SimulatedDevice& device =
            StartDevice(product == Product::Brivel ? "ttyB" : "ttyK", options);

        std::vector<std::pair<std::string, Json>> fields;
        {
            CKestrionApp app(std::make_unique<FixedPortSource>());
            HeadlessExecutor executor(app.Link());
            ASSERT_TRUE(StartApp(app, executor, device));
            const DeviceIdentity& identity = app.Identity();
            const DeviceStatus status = ReadDeviceStatus(app.Documents());
            const SignalMeter meter = SignalMeterFor(status, identity.signalQuality);
            fields = {
                {"product", g_product},
                {"model", status.model},
                {"firmware", status.firmware},
                {"imei", identity.serialNumber},
                {"imsi", identity.imsi},
                {"iccid", status.iccid},
                {"phone_number", identity.phoneNumber},
                {"modem_type", identity.modemMaker},
                {"modem_revision", identity.modemRevision},
                {"signal_quality", identity.signalQuality},
                {"signal_bars", meter.lit},
                {"signal_scale", meter.scale},
                {"registration", identity.registration},
                {"mobile_ip", status.ipAddress},
            };
            app.ResumeDeviceConsole();
        }
        // The port is free again once the application has gone.
        const CliRun run = RunOn(device, {"--json", "info"});
        ASSERT_EQ(run.exit, 0) << run.err;
        const Json document = JsonDocument(run);
        for (const auto& [key, value] : fields) EXPECT_EQ(document[key], value) << key;
        if (product == Product::Korvane) {
            // Without a SIM: the texts identification sets for the missing answers.
            EXPECT_EQ(document["imsi"], "No SIM Inserted");
            EXPECT_EQ(document["phone_number"], "N/A");
            EXPECT_EQ(document["signal_bars"], 3);
        }
    }
}

TEST_F(CliParityTest, BothSendTheSameSettingsDocument) {
    struct Case {
        Product product;
        std::vector<std::pair<std::string, std::string>> changes;
    };
    const std::vector<Case> cases = {
        {Product::Brivel,
         {{"mobile_simple/apn", "same.example"},
          {"mgmtconnection&index=1/ServerArray&index=2/serverAddress", "backup.example & co"}}},
        {Product::Korvane, {{"mobile_simple/pin", "1234"}, {"obd/odometer", "50000"}}},
    };
    for (const Case& c : cases) {
        const std::string suffix = c.product == Product::Brivel ? "B" : "K";
        // Two devices that start out the same: one for each program.
        sim::SimulatedDevice& forApp = StartDevice("ttyApp" + suffix, Options(c.product));
        sim::SimulatedDevice& forCli = StartDevice("ttyCli" + suffix, Options(c.product));

        {
            CKestrionApp app(std::make_unique<FixedPortSource>());
            HeadlessExecutor executor(app.Link());
            ASSERT_TRUE(StartApp(app, executor, forApp));
            std::vector<std::string> values;
            values.reserve(c.changes.size());
            BindingTable table;
            for (const auto& [path, value] : c.changes) {
                values.push_back(value);
                table.push_back(BindText(path, &values.back(), ""));
            }
            WriteBindings(table, app.Documents().SettingsNode());
            EXPECT_EQ(app.ApplySettings(executor), ApplyOutcome::Applied);
            app.ResumeDeviceConsole();
        }

        std::vector<std::string> args = {"set"};
        for (const auto& [path, value] : c.changes) args.push_back(path + "=" + value);
        const CliRun run = RunOn(forCli, args);
        ASSERT_EQ(run.exit, 0) << run.err;

        const std::string sentByApp = SentSettingsDocument(forApp);
        ASSERT_FALSE(sentByApp.empty());
        EXPECT_EQ(SentSettingsDocument(forCli), sentByApp);
        for (const auto& [path, value] : c.changes) {
            EXPECT_EQ(forApp.Setting(path), value);
            EXPECT_EQ(forCli.Setting(path), value);
        }
    }
}

}  // namespace
}  // namespace merivane::test
