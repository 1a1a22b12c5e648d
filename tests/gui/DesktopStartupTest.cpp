#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTabWidget>
#include <chrono>
#include <thread>

#include "app/CKestrionApp.h"
#include "app/Product.h"
#include "app/Startup.h"
#include "pages/DesktopRun.h"
#include "sim/SimulatedDevice.h"
#include "support/Clock.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "ui/KestrionPropertySheet.h"
#include "ui/PropertyPage.h"

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

    ScaledClock clock_;
    ScopedClock installed_;
    test::TempDir dir_;
};

TEST_P(DesktopStartupTest, TheSheetShowsThePagesOfTheProductAndClosingGivesTheConsoleBack) {
    const StartupCase& c = GetParam();
    sim::DeviceOptions options;
    options.linkPath = dir_.File("ttyDEVICE");
    options.product = c.product;
    options.radio = c.radio;
    sim::SimulatedDevice device(options);
    ASSERT_TRUE(device.Start());

    CKestrionApp app(std::make_unique<FixedPortSource>());
    test::ScriptedPrompts prompts;
    StartupOptions startup;
    startup.portPath = device.LinkPath();

    std::vector<std::string> tabs;
    QString status;
    QString product;
    RunDesktop(app, startup, prompts, [&](KestrionPropertySheet& sheet) {
        for (int i = 0; i < sheet.Tabs()->count(); ++i)
            tabs.push_back(sheet.Tabs()->tabText(i).toStdString());
        status = sheet.Page(0)->findChild<QLineEdit*>("statusEdit")->text();
        product = sheet.Page(0)->findChild<QLineEdit*>("productEdit")->text();
        sheet.reject();
    });

    EXPECT_EQ(tabs, c.tabs);
    EXPECT_EQ(status.toStdString(), "Connected (" + device.LinkPath() + ")");
    EXPECT_TRUE(product.startsWith(QString::fromStdString(sim::ProductName(c.product))))
        << product.toStdString();
    EXPECT_TRUE(prompts.ShownPrompts().empty());
    // The console command is written without waiting for an answer; give the device time to read
    // it.
    EXPECT_TRUE(WaitForLastCommand(device, "AT&usbinterface=55,go"));
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
