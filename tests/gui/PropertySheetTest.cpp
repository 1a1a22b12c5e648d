#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "app/BatchExecutor.h"
#include "app/CKestrionApp.h"
#include "support/ScriptedPrompts.h"
#include "ui/CAboutDlg.h"
#include "ui/DataExchange.h"
#include "ui/KestrionPropertySheet.h"
#include "ui/PropertyPage.h"

namespace merivane {
namespace {

using test::ProcessEvents;
using test::ScriptedPrompts;
using test::WhenModalAppears;

// Records what the sheet asks of it, into a log shared by all pages.
class RecordingPage : public PropertyPage {
  public:
    RecordingPage(const QString& caption, std::vector<std::string>& log) : log_(log) {
        setWindowTitle(caption);
        edit = new QLineEdit(this);
    }

    void OnInitDialog() override {
        Note("init");
        PropertyPage::OnInitDialog();
    }
    bool OnSetActive() override {
        Note("active");
        return PropertyPage::OnSetActive();
    }
    bool OnKillActive() override {
        Note("kill");
        return !refuseLeave && PropertyPage::OnKillActive();
    }
    bool OnApply() override {
        Note("apply");
        return !refuseApply;
    }

    bool refuseLeave = false;
    bool refuseApply = false;
    QLineEdit* edit;

  private:
    void Note(const char* what) { log_.push_back(windowTitle().toStdString() + ":" + what); }
    std::vector<std::string>& log_;
};

class PropertySheetTest : public ::testing::Test {
  protected:
    PropertySheetTest() : sheet_(PageContext{app_, prompts_, executor_}) {
        for (const char* caption : {"First", "Second", "Third"}) {
            pages_.push_back(std::make_unique<RecordingPage>(caption, log_));
            sheet_.AddPage(pages_.back().get());
        }
    }

    void ClickTab(int index) {
        QTabBar* bar = sheet_.Tabs()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        ProcessEvents();
    }

    RecordingPage& Page(int index) { return *pages_[index]; }

    ScriptedPrompts prompts_;
    CKestrionApp app_{std::make_unique<FixedPortSource>()};
    HeadlessExecutor executor_{app_.Link()};
    std::vector<std::string> log_;
    KestrionPropertySheet sheet_;
    std::vector<std::unique_ptr<RecordingPage>> pages_;
};

TEST_F(PropertySheetTest, ShowingTheSheetInitialisesAndActivatesOnlyTheFirstPage) {
    EXPECT_EQ(sheet_.windowTitle(), "Varik Merivane");
    sheet_.show();
    EXPECT_EQ(sheet_.ActiveIndex(), 0);
    EXPECT_EQ(log_, (std::vector<std::string>{"First:init", "First:active"}));
    EXPECT_FALSE(Page(1).Initialized());
}

TEST_F(PropertySheetTest, ATabChangeAsksTheActivePageAndStaysWhenItRefuses) {
    sheet_.show();
    log_.clear();
    Page(0).refuseLeave = true;

    ClickTab(1);
    EXPECT_EQ(sheet_.ActiveIndex(), 0);
    EXPECT_EQ(sheet_.Tabs()->currentIndex(), 0);
    EXPECT_TRUE(Page(0).isVisible());
    EXPECT_FALSE(Page(1).Initialized());
    EXPECT_EQ(log_, std::vector<std::string>{"First:kill"});

    // Any other way of switching (keyboard, programmatic) is held back the same way.
    sheet_.Tabs()->setCurrentIndex(2);
    ProcessEvents();
    EXPECT_EQ(sheet_.Tabs()->currentIndex(), 0);
    EXPECT_FALSE(Page(2).Initialized());

    Page(0).refuseLeave = false;
    log_.clear();
    ClickTab(1);
    EXPECT_EQ(sheet_.ActiveIndex(), 1);
    EXPECT_EQ(sheet_.Tabs()->currentIndex(), 1);
    EXPECT_EQ(log_, (std::vector<std::string>{"First:kill", "Second:init", "Second:active"}));

    // Coming back initialises nothing again.
    log_.clear();
    ClickTab(0);
    EXPECT_EQ(log_, (std::vector<std::string>{"Second:kill", "First:active"}));
}

TEST_F(PropertySheetTest, ApplyIsEnabledBySetModifiedAndAppliesEveryChangedPageInOrder) {
    sheet_.show();
    ClickTab(1);
    ClickTab(2);
    EXPECT_FALSE(sheet_.ApplyButton()->isEnabled());

    Page(0).SetModified();
    EXPECT_TRUE(sheet_.ApplyButton()->isEnabled());
    Page(0).SetModified(false);
    EXPECT_FALSE(sheet_.ApplyButton()->isEnabled());

    Page(0).SetModified();
    Page(2).SetModified();
    log_.clear();
    QTest::mouseClick(sheet_.ApplyButton(), Qt::LeftButton);
    // The active page is asked first; a changed page elsewhere is checked as when it is
    // left; the unchanged page gets nothing; the active page is activated again afterwards.
    EXPECT_EQ(log_, (std::vector<std::string>{"Third:kill", "First:kill", "First:apply",
                                              "Third:apply", "Third:active"}));
    EXPECT_FALSE(sheet_.ApplyButton()->isEnabled());
    EXPECT_FALSE(Page(0).IsModified());
    EXPECT_FALSE(Page(2).IsModified());
    EXPECT_TRUE(sheet_.isVisible());
}

TEST_F(PropertySheetTest, ARefusedKillActiveOrApplyStopsTheApplyAndKeepsTheSheetOpen) {
    sheet_.show();
    Page(0).SetModified();
    Page(0).refuseLeave = true;
    log_.clear();
    QTest::mouseClick(sheet_.OkButton(), Qt::LeftButton);
    EXPECT_EQ(log_, std::vector<std::string>{"First:kill"});
    EXPECT_TRUE(sheet_.isVisible());

    Page(0).refuseLeave = false;
    Page(0).refuseApply = true;
    log_.clear();
    QTest::mouseClick(sheet_.OkButton(), Qt::LeftButton);
    EXPECT_EQ(log_, (std::vector<std::string>{"First:kill", "First:apply"}));
    EXPECT_TRUE(sheet_.isVisible());
    EXPECT_TRUE(sheet_.ApplyButton()->isEnabled());
}

TEST_F(PropertySheetTest, OkAppliesAndClosesCancelClosesWithoutApplying) {
    WhenModalAppears([&](QWidget*) {
        ClickTab(1);
        Page(1).SetModified();
        QTest::mouseClick(sheet_.OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(sheet_.exec(), QDialog::Accepted);
    EXPECT_EQ(log_.back(), "Second:apply");
    EXPECT_FALSE(sheet_.isVisible());

    log_.clear();
    WhenModalAppears([&](QWidget*) { QTest::mouseClick(sheet_.CancelButton(), Qt::LeftButton); });
    EXPECT_EQ(sheet_.exec(), QDialog::Rejected);
    for (const std::string& entry : log_)
        EXPECT_EQ(entry.find(":apply"), std::string::npos) << entry;
}

TEST_F(PropertySheetTest, TheMenuOpensTheAboutBoxAndMinimizesWithoutTouchingThePages) {
    sheet_.show();
    log_.clear();
    ASSERT_EQ(sheet_.AboutAction()->text(), "&About...");
    ASSERT_EQ(sheet_.MinimizeAction()->text(), "Minimize");

    QString aboutTitle;
    WhenModalAppears([&](QWidget* modal) {
        aboutTitle = modal->windowTitle();
        EXPECT_NE(qobject_cast<CAboutDlg*>(modal), nullptr);
        static_cast<QDialog*>(modal)->accept();
    });
    sheet_.AboutAction()->trigger();
    EXPECT_EQ(aboutTitle, "About Varik Merivane");

    sheet_.MinimizeAction()->trigger();
    EXPECT_TRUE(sheet_.isMinimized());
    EXPECT_TRUE(log_.empty());
}

TEST_F(PropertySheetTest, ApplyEntryPointsRunTheirHandlersAndSayWhenTheReadBackFailed) {
    std::vector<std::string> ran;
    ApplyOutcome next = ApplyOutcome::Applied;
    sheet_.SetApplyHandlers(
        [&] {
            ran.push_back("settings");
            return next;
        },
        [&] {
            ran.push_back("zelbo");
            return next;
        });
    sheet_.ApplySettings();
    sheet_.ApplyZelboSettings();
    EXPECT_EQ(ran, (std::vector<std::string>{"settings", "zelbo"}));
    EXPECT_TRUE(prompts_.ShownPrompts().empty());

    next = ApplyOutcome::NothingToSend;
    sheet_.ApplySettings();
    EXPECT_TRUE(prompts_.ShownPrompts().empty());

    next = ApplyOutcome::ReadBackFailed;
    sheet_.ApplyZelboSettings();
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text, KestrionPropertySheet::kReadBackFailed);
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, "Device communication error");
    EXPECT_EQ(prompts_.ShownPrompts()[0].icon, Prompts::Icon::Warning);
}

// A page whose hours field only takes 0 to 9: the sheet cannot leave it while
// the value is out of range, and says why.
class RangePage : public PropertyPage {
  public:
    RangePage() {
        setWindowTitle("Range");
        hoursEdit = new QLineEdit(this);
    }
    void DoDataExchange(DataExchange& exchange) override { exchange.Int(hoursEdit, hours, 0, 9); }
    int hours = 3;
    QLineEdit* hoursEdit;
};

TEST_F(PropertySheetTest, AnOutOfRangeValueKeepsThePageActiveWithTheStandardMessage) {
    RangePage range;
    KestrionPropertySheet sheet(PageContext{app_, prompts_, executor_});
    sheet.AddPage(&range);
    RecordingPage other("Other", log_);
    sheet.AddPage(&other);
    sheet.show();
    EXPECT_EQ(range.hoursEdit->text(), "3");

    range.hoursEdit->setText("10");
    sheet.Tabs()->setCurrentIndex(1);
    ProcessEvents();
    EXPECT_EQ(sheet.ActiveIndex(), 0);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text, "Please enter an integer between 0 and 9.");

    range.hoursEdit->setText("9");
    sheet.Tabs()->setCurrentIndex(1);
    ProcessEvents();
    EXPECT_EQ(sheet.ActiveIndex(), 1);
    EXPECT_EQ(range.hours, 9);
}

}  // namespace
}  // namespace merivane
