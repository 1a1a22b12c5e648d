#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <chrono>
#include <thread>

#include "app/CKestrionApp.h"
#include "app/Product.h"
#include "app/Startup.h"
#include "desktop/DesktopRun.h"
#include "sim/SimulatedDevice.h"
#include "support/Clock.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "ui/KestrionPropertySheet.h"
#include "ui/PropertyPage.h"
#include "ui/StartupWindow.h"

namespace merivane {
namespace {

// Waits (up to ten real seconds) until the device's last received command is `command`.
bool WaitForLastCommand(const sim::SimulatedDevice& device, const std::string& command) {
    for (int i = 0; i < 1000; ++i) {
        const std::vector<std::string> received = device.ReceivedCommands();
        if (!received.empty() && received.back() == command) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

struct StartupCase {
    sim::Product product;
    bool radio;
    std::vector<std::string> tabs;
};

// The whole desktop run against the simulated device: start-up, the sheet with
// the pages that suit the product, and the console given back on closing.
class DesktopStartupTest : public ::testing::TestWithParam<StartupCase> {
  protected:
    DesktopStartupTest() : clock_(50.0, 1500), installed_(clock_) {}

    // A started device of the given kind, and start-up told to use its port.
    std::unique_ptr<sim::SimulatedDevice> StartDevice(const std::string& name,
                                                      sim::Product product = sim::Product::Brivel,
                                                      bool radio = true) {
        sim::DeviceOptions options;
        options.linkPath = dir_.File(name);
        options.product = product;
        options.radio = radio;
        auto device = std::make_unique<sim::SimulatedDevice>(options);
        EXPECT_TRUE(device->Start());
        startup_.portPath = device->LinkPath();
        return device;
    }

    // The desktop run, closing the sheet at once; true when the sheet was shown.
    bool RunToTheSheet(CKestrionApp& app, test::ScriptedPrompts& prompts) {
        bool shown = false;
        RunDesktop(app, startup_, prompts, [&](KestrionPropertySheet& sheet) {
            shown = true;
            sheet.reject();
        });
        return shown;
    }

    ScaledClock clock_;
    ScopedClock installed_;
    test::TempDir dir_;
    StartupOptions startup_;
};

TEST_P(DesktopStartupTest, TheSheetShowsThePagesOfTheProductAndClosingGivesTheConsoleBack) {
    const StartupCase& c = GetParam();
    const auto device = StartDevice("ttyDEVICE", c.product, c.radio);
    CKestrionApp app(std::make_unique<FixedPortSource>());
    test::ScriptedPrompts prompts;

    std::vector<std::string> tabs;
    QString status;
    QString product;
    RunDesktop(app, startup_, prompts, [&](KestrionPropertySheet& sheet) {
        for (int i = 0; i < sheet.Tabs()->count(); ++i)
            tabs.push_back(sheet.Tabs()->tabText(i).toStdString());
        status = sheet.Page(0)->findChild<QLineEdit*>("statusEdit")->text();
        product = sheet.Page(0)->findChild<QLineEdit*>("productEdit")->text();
        sheet.reject();
    });

    EXPECT_EQ(tabs, c.tabs);
    EXPECT_EQ(status.toStdString(), "Connected (" + device->LinkPath() + ")");
    EXPECT_TRUE(product.startsWith(QString::fromStdString(sim::ProductName(c.product))))
        << product.toStdString();
    EXPECT_TRUE(prompts.ShownPrompts().empty());
    // The console command is written without waiting for an answer; give the device time to read
    // it.
    EXPECT_TRUE(WaitForLastCommand(*device, "AT&usbinterface=55,go"));
}

// The start-up window is up before the device hears anything, the event loop
// runs while start-up talks to the device, and closing the window gives
// start-up up with the console given back.
TEST_F(DesktopStartupTest, StartUpShowsItsWindowFirstKeepsTheLoopAliveAndCanBeGivenUp) {
    for (const bool giveUp : {false, true}) {
        const auto device = StartDevice(giveUp ? "ttyQUIT" : "ttyDEVICE");
        CKestrionApp app(std::make_unique<FixedPortSource>());
        test::ScriptedPrompts prompts;

        const auto startupWindow = []() -> QWidget* {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == "startupWindow" && top->isVisible()) return top;
            return nullptr;
        };
        // The first events the program handles come before start-up's first exchange.
        bool windowBeforeAnyCommand = false;
        QTimer::singleShot(0, [&] {
            windowBeforeAnyCommand =
                startupWindow() != nullptr && device->ReceivedCommands().empty();
        });
        int ticksWithWindow = 0;
        QTimer watch;
        watch.callOnTimeout([&] {
            QWidget* window = startupWindow();
            if (window == nullptr) return;
            ++ticksWithWindow;
            if (giveUp && device->ConsolePaused()) window->close();
        });
        watch.start(5);
        const bool sheetShown = RunToTheSheet(app, prompts);
        watch.stop();

        EXPECT_TRUE(windowBeforeAnyCommand) << giveUp;
        EXPECT_GE(ticksWithWindow, giveUp ? 1 : 3) << "the event loop stood still during start-up";
        EXPECT_EQ(sheetShown, !giveUp);
        EXPECT_TRUE(prompts.ShownPrompts().empty());
        EXPECT_TRUE(WaitForLastCommand(*device, "AT&usbinterface=55,go")) << giveUp;
    }
}

// A device that vanishes during start-up's own exchanges is waited for, with
// the waiting line in the start-up window, and start-up goes on once it is back.
TEST_F(DesktopStartupTest, AnUnplugDuringStartUpIsShownAsAWaitAndStartUpGoesOn) {
    const auto device = StartDevice("ttyBOOT");
    CKestrionApp app(std::make_unique<FixedPortSource>());
    test::ScriptedPrompts prompts;
    std::thread mover([&] {
        for (int i = 0; i < 2000 && device->ReceivedCommands().empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        device->Unplug();
        TheClock().SleepMs(5000);
        device->Plug();
    });
    QString waitText;
    QTimer watch;
    watch.callOnTimeout([&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<StartupWindow*>(top); window && waitText.isEmpty())
                waitText = window->WaitText();
    });
    watch.start(5);
    const bool sheetShown = RunToTheSheet(app, prompts);
    watch.stop();
    mover.join();
    EXPECT_TRUE(waitText.startsWith("The device has gone away")) << waitText.toStdString();
    EXPECT_TRUE(sheetShown);
}

INSTANTIATE_TEST_SUITE_P(
    Products, DesktopStartupTest,
    ::testing::Values(StartupCase{sim::Product::Brivel,
                                  true,
                                  {"Device Information", "Mobile", "Remote Management", "Zelbo",
                                   "Serial Port", "Python", "Firmware Update", "Utilities"}},
                      StartupCase{sim::Product::Brivel,
                                  false,
                                  {"Device Information", "Mobile", "Remote Management",
                                   "Serial Port", "Python", "Firmware Update", "Utilities"}},
                      StartupCase{sim::Product::Korvane,
                                  true,
                                  {"Device Information", "Mobile", "Remote Management", "OBD",
                                   "Python", "Firmware Update", "Utilities"}}));

}  // namespace
}  // namespace merivane
