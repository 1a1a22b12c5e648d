#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <set>

#include "DevicePageFixture.h"
#include "GuiTestSupport.h"
#include "app/BatchExecutor.h"
#include "app/CKestrionApp.h"
#include "app/Product.h"
#include "ops/SignalHistory.h"
#include "pages/MainPage.h"
#include "pages/SignalMonitorPanel.h"
#include "support/Clock.h"
#include "support/ScriptedPrompts.h"
#include "support/SimFixture.h"
#include "ui/IpAddressControl.h"
#include "ui/KestrionPropertySheet.h"
#include "ui/SignalPlot.h"

namespace merivane {
namespace {

std::string StateReply(const std::string& model, const std::string& stats, const std::string& ip) {
    std::string reply = "<rci_reply version=\"1.1\"><query_state><device_info><model>" + model +
                        "</model><firmware>2.1.0</firmware></device_info><mobile_stats>"
                        "<iccid>89014104279876543210</iccid>" +
                        stats + "</mobile_stats>";
    if (ip != "-") reply += "<ppp_stats><ip_address>" + ip + "</ip_address></ppp_stats>";
    return reply + "</query_state></rci_reply>\r\nOK\r\n";
}

// The bars as letters from the left: L lit, U unlit, H hidden, ? unknown.
std::string Bars(const MainPage& page) {
    std::string shown;
    for (int bar = 1; bar <= 5; ++bar) {
        switch (page.BarState(bar)) {
            case MainPage::Indicator::Lit:
                shown += 'L';
                break;
            case MainPage::Indicator::Unlit:
                shown += 'U';
                break;
            case MainPage::Indicator::Hidden:
                shown += 'H';
                break;
            case MainPage::Indicator::Unknown:
                shown += '?';
                break;
        }
    }
    return shown;
}

class MainPageTest : public ::testing::Test {
  protected:
    MainPageTest()
        : app_(std::make_unique<FixedPortSource>()),
          sheet_(PageContext{app_, prompts_, executor_}) {
        sheet_.AddPage(&page_);
    }

    void Show(const std::string& model, const std::string& stats, int signalQuality,
              const std::string& ip = "10.1.2.3") {
        app_.Documents().LoadStateDocument(StateReply(model, stats, ip));
        app_.Identity().signalQuality = signalQuality;
        sheet_.show();
    }

    QLineEdit* Edit(const char* name) { return page_.findChild<QLineEdit*>(name); }

    CKestrionApp app_;
    test::ScriptedPrompts prompts_;
    HeadlessExecutor executor_{app_.Link()};
    MainPage page_;
    KestrionPropertySheet sheet_;
};

struct BarCase {
    const char* what;
    const char* model;
    const char* stats;
    int signalQuality;
    const char* bars;
};

// Names each case by what it checks (test listings show it).
void PrintTo(const BarCase& c, std::ostream* os) { *os << c.what; }

constexpr char kTracker[] = "Korvane VT-220 Vehicle Tracker";
constexpr char kGateway[] = "Brivel BG-310 Cellular Gateway";

class MainPageBarsTest : public MainPageTest, public ::testing::WithParamInterface<BarCase> {};

TEST_P(MainPageBarsTest, TheSignalBarsFollowTheScaleTheDeviceReports) {
    const BarCase& c = GetParam();
    Show(c.model, c.stats, c.signalQuality);
    EXPECT_EQ(Bars(page_), c.bars) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, MainPageBarsTest,
    ::testing::Values(
        BarCase{"tracker, strength not known", kTracker, "", 99, "UUUUU"},
        BarCase{"tracker, 18", kTracker, "", 18, "LLLLL"},
        BarCase{"tracker, 2", kTracker, "", 2, "UUUUU"},
        BarCase{"tracker, 14", kTracker, "", 14, "LLLLU"},
        BarCase{"tracker, 3", kTracker, "", 3, "LUUUU"},
        BarCase{"tracker, 31", kTracker, "", 31, "UUUUU"},
        BarCase{"tracker ignores the reported scale", kTracker, "<quality max=\"3\">1</quality>",
                30, "LLLLL"},
        BarCase{"three-step 4 is off the scale", kGateway, "<quality max=\"3\">4</quality>", 0,
                "UUUHH"},
        BarCase{"three-step 0", kGateway, "<quality max=\"3\">0</quality>", 0, "UUUHH"},
        BarCase{"three-step 2", kGateway, "<quality max=\"3\">2</quality>", 0, "LLUHH"},
        BarCase{"three-step wins over five-step", kGateway,
                "<quality max=\"5\">5</quality><quality max=\"3\">1</quality>", 0, "LUUHH"},
        BarCase{"five-step 3", kGateway, "<quality max=\"5\">3</quality>", 0, "LLLUU"},
        BarCase{"five-step below 0", kGateway, "<quality max=\"5\">-1</quality>", 0, "UUUUU"},
        BarCase{"four-step only shows nothing", kGateway, "<quality max=\"4\">3</quality>", 0,
                "HHHHH"},
        BarCase{"no quality at all", kGateway, "", 18, "HHHHH"},
        BarCase{"the tracker test is case-sensitive", "korvane vt-220", "", 18, "HHHHH"}));

TEST_F(MainPageTest, TheLinkIsUnlitOnlyForAnAddressBeginningWithZeros) {
    const std::pair<const char*, MainPage::Indicator> cases[] = {
        {"0.0.0.0", MainPage::Indicator::Unlit}, {"0.0.0.01", MainPage::Indicator::Unlit},
        {"10.1.2.3", MainPage::Indicator::Lit},  {"", MainPage::Indicator::Lit},
        {"-", MainPage::Indicator::Lit},  // no address in the state at all
    };
    for (const auto& [ip, expected] : cases) {
        MainPage page;
        KestrionPropertySheet sheet(PageContext{app_, prompts_, executor_});
        sheet.AddPage(&page);
        app_.Documents().LoadStateDocument(StateReply(kGateway, "", ip));
        sheet.show();
        EXPECT_EQ(page.LinkState(), expected) << '"' << ip << '"';
    }
}

TEST_F(MainPageTest, ThePageShowsIdentityStateAndAddress) {
    app_.Identity().status = "Connected (/dev/ttyACM0)";
    app_.Identity().serialNumber = "356938035643809";
    app_.Identity().phoneNumber = "+15551234567";
    app_.Identity().modemMaker = "Varik International";
    app_.Documents().LoadSettingsDocument(
        "<rci_reply version=\"1.1\"><query_setting><mobile_simple/></query_setting></rci_reply>");
    Show(kGateway, "<quality max=\"3\">2</quality>", 17, "10.114.23.7");
    EXPECT_EQ(Edit("statusEdit")->text(), "Connected (/dev/ttyACM0)");
    EXPECT_EQ(Edit("productEdit")->text(), kGateway);
    EXPECT_EQ(Edit("firmwareEdit")->text(), "2.1.0");
    EXPECT_EQ(Edit("iccidEdit")->text(), "89014104279876543210");
    EXPECT_EQ(Edit("imeiEdit")->text(), "356938035643809");
    EXPECT_EQ(Edit("phoneEdit")->text(), "+15551234567");
    EXPECT_EQ(Edit("modemTypeEdit")->text(), "Varik International");
    EXPECT_EQ(page_.findChild<IpAddressControl*>("ipAddress")->text(), "10.114.23.7");
    EXPECT_TRUE(Edit("imeiEdit")->isReadOnly());
    EXPECT_FALSE(page_.IsModified());

    // Without settings the line says so, and what it adds stays out of the status.
    app_.Documents().ClearSettings();
    page_.Redisplay();
    EXPECT_EQ(Edit("statusEdit")->text(), "Connected (/dev/ttyACM0) (settings could not be read)");
    EXPECT_EQ(Edit("statusEdit")->toolTip(), Edit("statusEdit")->text());
    EXPECT_TRUE(page_.OnKillActive());
    EXPECT_EQ(app_.Identity().status, "Connected (/dev/ttyACM0)");
}

TEST_F(MainPageTest, TheDeviceModelIsTakenWhenThePageFirstInitialisesOnly) {
    g_deviceModel.clear();
    Show(kGateway, "", 0);
    EXPECT_EQ(g_deviceModel, kGateway);

    app_.Documents().LoadStateDocument(StateReply(kTracker, "", "10.1.2.3"));
    QTest::mouseClick(page_.findChild<QPushButton*>("refreshButton"), Qt::LeftButton);
    EXPECT_EQ(Edit("productEdit")->text(), kTracker);
    EXPECT_EQ(g_deviceModel, kGateway);
}

TEST(IpAddressControlTest, TheDottedFormIsReadFieldByField) {
    EXPECT_EQ(IpAddressControl::Normalised("10.1.2.3"), "10.1.2.3");
    EXPECT_EQ(IpAddressControl::Normalised("010.001.300.4"), "10.1.255.4");
    EXPECT_EQ(IpAddressControl::Normalised("10.1"), "10.1..");
    EXPECT_EQ(IpAddressControl::Normalised(""), "");
    EXPECT_EQ(IpAddressControl::Normalised("none"), "");
}

// Refresh identifies the simulated gateway and shows what it reports.
class MainPageRefreshTest : public test::SimFixture {
  protected:
    MainPageRefreshTest() : clock_(50.0, 1500), installed_(clock_) {}

    void SetUp() override {
        options_.linkPath = dir_.File("ttyDEVICE");
        device_ = std::make_unique<sim::SimulatedDevice>(options_);
        ASSERT_TRUE(device_->Start());
        ASSERT_TRUE(app_.Link().OpenNamedPort(device_->LinkPath()));
    }

    ScaledClock clock_;
    ScopedClock installed_;
    CKestrionApp app_{std::make_unique<FixedPortSource>()};
    test::ScriptedPrompts prompts_;
    HeadlessExecutor executor_{app_.Link()};
};

TEST_F(MainPageRefreshTest, RefreshReadsTheDeviceAgain) {
    g_product = kBrivel;
    MainPage page;
    KestrionPropertySheet sheet(PageContext{app_, prompts_, executor_});
    sheet.AddPage(&page);
    sheet.show();
    EXPECT_EQ(page.findChild<QLineEdit*>("productEdit")->text(), "");
    EXPECT_EQ(Bars(page), "HHHHH");

    QTest::mouseClick(page.findChild<QPushButton*>("refreshButton"), Qt::LeftButton);
    EXPECT_EQ(page.findChild<QLineEdit*>("productEdit")->text(), kGateway);
    EXPECT_EQ(page.findChild<QLineEdit*>("phoneEdit")->text(), "+15551234567");
    EXPECT_EQ(page.findChild<QLineEdit*>("imeiEdit")->text().size(), 15);
    EXPECT_EQ(Bars(page), "LLUHH");
    EXPECT_EQ(page.LinkState(), MainPage::Indicator::Lit);
}

// A Refresh that loses the device says so on the status line, and the bars and the link
// show that their state is not known; the next Refresh, with the device back on a new
// terminal behind the same name, reconnects.
TEST_F(MainPageRefreshTest, TheStatusLineFollowsALostLinkAndRefreshReconnects) {
    g_product = kBrivel;
    app_.Identity().status = "Connected (" + app_.PortName() + ")";
    MainPage page;
    KestrionPropertySheet sheet(PageContext{app_, prompts_, executor_});
    sheet.AddPage(&page);
    sheet.show();
    auto* refresh = page.findChild<QPushButton*>("refreshButton");
    auto status = [&] { return page.findChild<QLineEdit*>("statusEdit")->text().toStdString(); };

    QTest::mouseClick(refresh, Qt::LeftButton);
    EXPECT_EQ(status(), "Connected (" + app_.PortName() + ")");
    EXPECT_EQ(Bars(page), "LLUHH");
    device_->Unplug();
    QTest::mouseClick(refresh, Qt::LeftButton);
    EXPECT_EQ(status(), "Disconnected (" + app_.PortName() + ")");
    EXPECT_EQ(Bars(page), "???HH");
    EXPECT_EQ(page.LinkState(), MainPage::Indicator::Unknown);

    device_->Plug();
    QTest::mouseClick(refresh, Qt::LeftButton);
    EXPECT_EQ(status(), "Connected (" + app_.PortName() + ")");
    EXPECT_EQ(page.findChild<QLineEdit*>("productEdit")->text(), kGateway);
    EXPECT_EQ(Bars(page), "LLUHH");
    EXPECT_EQ(page.LinkState(), MainPage::Indicator::Lit);
}

// The line runs only between samples that came one after the other: a strength not known,
// or a time without samples (the device gone, polling paused for an apply), is a gap.
TEST(SignalPlotTest, ATimeWithoutSamplesIsAGapNotALine) {
    struct Case {
        const char* what;
        std::vector<std::pair<int64_t, int>> samples;  // seconds from the first, CSQ
        int segments;
    };
    const Case cases[] = {
        {"samples every two seconds", {{0, 17}, {2, 18}, {4, 17}}, 1},
        {"a minute without samples", {{0, 17}, {2, 18}, {62, 17}, {64, 16}}, 2},
        {"a strength not known", {{0, 17}, {2, 99}, {4, 17}}, 2},
        {"two pauses", {{0, 17}, {40, 17}, {42, 17}, {100, 17}}, 3},
    };
    const int64_t start = 1'800'000'000'000;
    for (const Case& c : cases) {
        SignalHistory history;
        for (const auto& [seconds, csq] : c.samples) history.Add({start + seconds * 1000, csq, 1});
        SignalPlot plot;
        plot.Show(history, start + c.samples.back().first * 1000);
        EXPECT_EQ(plot.SegmentCount(), c.segments) << c.what;
    }
}

// A technician points the antenna: with the box ticked against a drifting
// signal, the plot gains points, the bars follow, and the samples can be saved.
class SignalMonitorTest : public MainPageRefreshTest {
  protected:
    SignalMonitorTest() { options_.signalWalk = true; }
};

TEST_F(SignalMonitorTest, TheMonitorPlotsTheDriftingSignalAndTheBarsFollow) {
    g_product = kBrivel;
    test::ScriptedPrompts prompts;
    MainPage page;
    KestrionPropertySheet sheet(PageContext{app_, prompts, executor_});
    sheet.AddPage(&page);
    sheet.show();
    ASSERT_TRUE(app_.IdentifyDevice(executor_));
    page.Redisplay();
    auto* box = page.findChild<QCheckBox*>("monitorSignalBox");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(test::AccessibleName(box), "Monitor signal");

    std::set<std::string> barsSeen{Bars(page)};
    box->click();
    const Deadline limit(600000);  // ten minutes of product time, seconds of real time
    while ((page.Monitor()->Plot()->PointCount() < 20 || barsSeen.size() < 2) && !limit.Passed()) {
        QTest::qWait(10);
        barsSeen.insert(Bars(page));
    }
    EXPECT_GE(page.Monitor()->Plot()->PointCount(), 20);
    EXPECT_GE(barsSeen.size(), 2u) << "the bars never changed";
    EXPECT_TRUE(page.Monitor()->Summary().startsWith("Now "))
        << page.Monitor()->Summary().toStdString();

    // Hidden, the page polls no more.
    page.hide();
    QTest::qWait(50);
    device_->ClearReceivedCommands();
    QTest::qWait(300);
    EXPECT_TRUE(device_->ReceivedCommands().empty());

    const std::string csv = dir_.File("signal.csv");
    prompts.QueueFile(csv);
    page.findChild<QPushButton*>("saveCsvButton")->click();
    EXPECT_EQ(test::ReadWholeFile(csv).rfind("time,csq,dbm,registration\r\n", 0), 0u);
}

}  // namespace
}  // namespace merivane
