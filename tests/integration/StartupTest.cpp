#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "app/BatchExecutor.h"
#include "app/CKestrionApp.h"
#include "app/EndProcess.h"
#include "app/Product.h"
#include "app/Startup.h"
#include "ops/ConfigurationRestore.h"
#include "ops/FirmwareUpdate.h"
#include "settings/Bindings.h"
#include "sim/SimulatedDevice.h"
#include "support/Clock.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

namespace merivane {
namespace {

using test::ScriptedPrompts;

constexpr char kResume[] = "AT&usbinterface=55,go";

struct ProcessEnded {
    int code;
};

class StartupTest : public ::testing::Test {
  protected:
    StartupTest() : clock_(20.0, 1500), installed_(clock_) {
        SetEndProcessHandler([](int code) { throw ProcessEnded{code}; });
    }
    ~StartupTest() override { SetEndProcessHandler(nullptr); }

    void StartDevice() {
        options_.linkPath = dir_.File("ttyDEVICE");
        device_ = std::make_unique<sim::SimulatedDevice>(options_);
        ASSERT_TRUE(device_->Start());
    }

    // Runs start-up against the device's port; returns the exit code when the
    // process was ended, -1 when start-up returned.
    int Run(StartupOptions startup = {}) {
        if (startup.portPath.empty() && device_) startup.portPath = device_->LinkPath();
        HeadlessExecutor executor(app_.Link());
        StartupHooks hooks;
        hooks.prompts = &prompts_;
        hooks.executor = &executor;
        hooks.runSheet = [this] {
            ++sheetRuns_;
            product_ = g_product;
            zelboPresent_ = app_.Documents().ZelboPresent();
        };
        try {
            RunStartup(app_, startup, hooks);
        } catch (const ProcessEnded& ended) {
            return ended.code;
        }
        return -1;
    }

    bool DeviceReceived(const std::string& command) const {
        const auto commands = device_->ReceivedCommands();
        return std::find(commands.begin(), commands.end(), command) != commands.end();
    }

    ScaledClock clock_;
    ScopedClock installed_;
    test::TempDir dir_;
    sim::DeviceOptions options_;
    std::unique_ptr<sim::SimulatedDevice> device_;
    ScriptedPrompts prompts_;
    CKestrionApp app_{std::make_unique<FixedPortSource>()};
    int sheetRuns_ = 0;
    std::string product_;
    bool zelboPresent_ = false;
};

TEST_F(StartupTest, AGatewayWithItsRadioIsIdentifiedAndGetsItsConsoleBack) {
    StartDevice();
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(sheetRuns_, 1);
    EXPECT_EQ(product_, "Brivel");
    EXPECT_TRUE(zelboPresent_);
    EXPECT_TRUE(prompts_.ShownPrompts().empty());
    EXPECT_EQ(app_.Identity().status, "Connected (" + device_->LinkPath() + ")");
    EXPECT_EQ(app_.Identity().modemMaker, "Varik International");
    // The console is given back when the sheet closes; no answer is read, so
    // the device may take the line in only after start-up has returned.
    ASSERT_TRUE(device_->WaitForCommand(kResume, 5000));
    EXPECT_FALSE(device_->ConsolePaused());
}

TEST_F(StartupTest, TheTrackerAndTheGatewayWithoutRadio) {
    options_.product = sim::Product::Korvane;
    StartDevice();
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(product_, "Korvane");
    EXPECT_FALSE(
        DeviceReceived("at&usbinterface=20,\"<rci_request version='1.1'><do_command "
                       "target='zigbee'><query_setting/></do_command>"
                       "</rci_request>\""));

    options_.product = sim::Product::Brivel;
    options_.radio = false;
    StartDevice();
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(product_, "Brivel");
    EXPECT_FALSE(zelboPresent_);
}

TEST_F(StartupTest, CancelAfterAFailedDetectionSendsNothing) {
    StartDevice();
    EXPECT_EQ(
        Run(StartupOptions{.debug = false, .logPath = {}, .portPath = dir_.File("no-such-port")}),
        -1);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text,
              "Unable to detect a Varik Device. Please verify that it is powered and connected to "
              "your computer "
              "with the supplied USB cable.");
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, "Device detection error");
    EXPECT_EQ(prompts_.ShownPrompts()[0].details,
              dir_.File("no-such-port") + ": no such device (No such file or directory).");
    EXPECT_EQ(sheetRuns_, 0);
    EXPECT_TRUE(device_->ReceivedCommands().empty());
}

TEST_F(StartupTest, AutostartIsTurnedOffOnlyWhenTheUserSaysYes) {
    options_.autostart = true;
    StartDevice();
    prompts_.QueueAnswer(Prompts::Answer::No);
    EXPECT_EQ(Run(), -1);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text, "Do you want to disable Python auto-start");
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, "Python auto-start detected");
    EXPECT_TRUE(device_->AutostartOn());

    prompts_.ClearShown();
    prompts_.QueueAnswer(Prompts::Answer::Yes);
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_FALSE(device_->AutostartOn());
}

TEST_F(StartupTest, ADeviceThatNeverNamesAProductEndsTheProgramWithoutItsConsole) {
    StartDevice();
    ASSERT_TRUE(device_->AddFault("silent:<product/>"));
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text, "Varik Device Not found. Exiting");
    EXPECT_FALSE(DeviceReceived(kResume));
    EXPECT_EQ(sheetRuns_, 0);
}

TEST_F(StartupTest, ADeviceThatOnlyEchoesTheAutostartQueryIsNotWaitedForForever) {
    StartDevice();
    ASSERT_TRUE(device_->AddFault("echo-only:<python><state/>"));
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(sheetRuns_, 1);
}

// A device whose configuration is damaged answers the settings query with XML that does not
// parse. It is the device a technician has to reflash or restore: start-up opens the sheet
// without its settings, and a firmware update and a restore both go through.
TEST_F(StartupTest, ADeviceWhoseSettingsDoNotParseReachesTheSheetAndCanBeUpdatedAndRestored) {
    options_.console = false;
    StartDevice();
    ASSERT_TRUE(device_->AddFault("bad-xml:<query_setting></query_setting>"));
    const std::string image = dir_.File("fw.bin");
    std::string content = test::MadeUpContent(6000, true, 7);
    content.replace(100, 15, "version=4.1.0.2");
    test::WriteWholeFile(image, content);
    const std::string backup = dir_.File("backup.cfg");
    test::WriteWholeFile(backup,
                         "<?xml version=\"1.0\"?>\n<rci_request version=\"1.1\"><set_setting>"
                         "<mobile_simple><apn>restored.example</apn></mobile_simple>"
                         "</set_setting></rci_request>\n");

    HeadlessExecutor executor(app_.Link());
    StartupHooks hooks;
    hooks.prompts = &prompts_;
    hooks.executor = &executor;
    FirmwareOutcome updated = FirmwareOutcome::Refused;
    RestoreOutcome restored = RestoreOutcome::Refused;
    std::string apnLoaded;
    hooks.runSheet = [&] {
        ++sheetRuns_;
        EXPECT_EQ(app_.Documents().SettingsDocument(), nullptr);
        EXPECT_NE(app_.Documents().StateNode(), nullptr);
        updated = UpdateFirmware(image, app_.Documents(), executor, prompts_,
                                 AfterFirmwareUpdate::Return);

        // The restored configuration mends the device: its settings answer is whole again
        // once it has taken the file. It ignores the reboot, so that the read-back finds it.
        ASSERT_TRUE(device_->AddFault("echo-only:at+CFUN=1"));
        std::thread mend([this] {
            if (device_->WaitForCommand("at+CFUN=1", 60000)) device_->ClearFaults();
        });
        restored = RestoreSettings(backup, app_.Documents(), executor, prompts_);
        mend.join();
        ReadBindings(nullptr, BindingTable{BindText("mobile_simple/apn", &apnLoaded, "")},
                     app_.Documents().SettingsNode());
    };
    RunStartup(app_, StartupOptions{.debug = false, .logPath = {}, .portPath = device_->LinkPath()},
               hooks);

    EXPECT_EQ(sheetRuns_, 1);
    EXPECT_TRUE(prompts_.Texts().empty()) << "an update that returns says nothing of exiting";
    EXPECT_EQ(updated, FirmwareOutcome::Updated);
    EXPECT_EQ(device_->FirmwareVersion(), "4.1.0.2");
    EXPECT_EQ(restored, RestoreOutcome::Restored);
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), "restored.example");
    EXPECT_EQ(apnLoaded, "restored.example");
}

// Answers Retry to the identification failure once, mending the device first.
class MendingPrompts : public ScriptedPrompts {
  public:
    explicit MendingPrompts(sim::SimulatedDevice*& device) : device_(device) {}
    Answer RetryCancel(const std::string& text, const std::string& caption, Icon icon,
                       const std::string& details) override {
        ScriptedPrompts::RetryCancel(text, caption, icon, details);
        device_->ClearFaults();
        return Answer::Retry;
    }

  private:
    sim::SimulatedDevice*& device_;
};

TEST_F(StartupTest, IdentificationFailureCanBeRetried) {
    StartDevice();
    ASSERT_TRUE(device_->AddFault("silent:<query_state/>"));
    sim::SimulatedDevice* device = device_.get();
    MendingPrompts mending(device);
    HeadlessExecutor executor(app_.Link());
    StartupHooks hooks;
    hooks.prompts = &mending;
    hooks.executor = &executor;
    hooks.runSheet = [this] { ++sheetRuns_; };
    RunStartup(app_, StartupOptions{.debug = false, .logPath = {}, .portPath = device_->LinkPath()},
               hooks);
    ASSERT_EQ(mending.ShownPrompts().size(), 1u);
    EXPECT_EQ(mending.ShownPrompts()[0].text, "Unable to communicate with the device");
    EXPECT_EQ(mending.ShownPrompts()[0].caption, "Device communication error");
    EXPECT_EQ(sheetRuns_, 1);
}

TEST_F(StartupTest, TheDebugLogHoldsTheHeaderAndEveryExchangeInOrder) {
    StartDevice();
    const std::string log = dir_.File("command.log");
    EXPECT_EQ(Run(StartupOptions{.debug = true, .logPath = log, .portPath = {}}), -1);
    EXPECT_EQ(Run(StartupOptions{.debug = true, .logPath = log, .portPath = {}}), -1);
    const std::string text = test::ReadWholeFile(log);
    const size_t first = text.find("Varik Merivane Version 1.0.33.0 STARTED AT ");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(text.find("Varik Merivane Version 1.0.33.0 STARTED AT ", first + 1),
              std::string::npos)
        << "every run appends its own header";
    size_t at = first;
    for (const char* expected :
         {"AT\r\n\r\n", "ATI9\r\n", "AT+CREG?\r\n", "<query_setting></query_setting>",
          "<query_state/>", "AT&usbinterface=55,go\r\n"}) {
        const size_t next = text.find(expected, at);
        ASSERT_NE(next, std::string::npos) << expected;
        at = next;
    }
    EXPECT_EQ(text.find("55,pause"), std::string::npos)
        << "start-up's direct writes are not logged";
}

}  // namespace
}  // namespace merivane
