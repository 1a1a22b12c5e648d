#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "GuiTestSupport.h"
#include "app/BatchExecutor.h"
#include "app/CKestrionApp.h"
#include "settings/Bindings.h"
#include "support/ScriptedPrompts.h"
#include "ui/DataExchange.h"
#include "ui/KestrionPropertySheet.h"
#include "ui/PropertyPage.h"

namespace merivane {
namespace {

using test::ProcessEvents;

std::string SettingsReply(const std::string& apn) {
    return "<rci_reply version=\"1.1\"><query_setting>"
           "<mobile_simple><apn>" +
           apn +
           "</apn><state>ON</state><band>1900</band></mobile_simple>"
           "</query_setting></rci_reply>\r\nOK\r\n";
}

// A settings page built in code: a group the device has, and one it lacks.
class MobileLikePage : public PropertyPage {
  public:
    MobileLikePage() {
        setWindowTitle("Mobile-like");
        auto* layout = new QVBoxLayout(this);
        mobileGroup = new QGroupBox("Mobile", this);
        auto* mobile = new QVBoxLayout(mobileGroup);
        apnLabel = AddRow(mobileGroup, mobile, "APN", apnEdit = new QLineEdit);
        apnEdit->setObjectName("apnEdit");
        bandLabel = AddRow(mobileGroup, mobile, "Band", bandBox = new QComboBox);
        bandBox->setObjectName("bandBox");
        // A check box inside a container that only arranges it.
        auto* row = new QWidget(mobileGroup);
        auto* rowLayout = new QHBoxLayout(row);
        stateBox = new QCheckBox("Enabled", row);
        stateBox->setObjectName("stateBox");
        rowLayout->addWidget(stateBox);
        mobile->addWidget(row);
        layout->addWidget(mobileGroup);

        serialGroup = new QGroupBox("Serial", this);
        auto* serial = new QVBoxLayout(serialGroup);
        baudLabel = AddRow(serialGroup, serial, "Baud", baudEdit = new QLineEdit);
        baudEdit->setObjectName("baudEdit");
        layout->addWidget(serialGroup);

        SetBoundDocument(BoundDocument::Settings);
        Bindings() = {
            BindText("mobile_simple/apn", &apn, "apnEdit"),
            BindChoices("mobile_simple/band", &band, "bandBox", &bandChoices),
            BindOnOff("mobile_simple/state", &state, "stateBox"),
            BindText("serial/baud", &baud, "baudEdit"),
        };
        MarkModifiedOnChange({apnEdit, bandBox, stateBox});
    }

    void DoDataExchange(DataExchange& exchange) override {
        exchange.Text(apnEdit, apn);
        exchange.ComboString(bandBox, band);
        exchange.Check(stateBox, state);
        exchange.Text(baudEdit, baud);
    }

    std::string apn, band, baud;
    int state = 0;
    const std::string bandChoices = "auto\n850\n1900";
    QGroupBox* mobileGroup;
    QGroupBox* serialGroup;
    QLineEdit* apnEdit;
    QComboBox* bandBox;
    QCheckBox* stateBox;
    QLineEdit* baudEdit;
    QLabel* apnLabel;
    QLabel* bandLabel;
    QLabel* baudLabel;

  private:
    static QLabel* AddRow(QWidget* group, QVBoxLayout* layout, const QString& text,
                          QWidget* control) {
        auto* label = new QLabel(text, group);
        label->setBuddy(control);
        control->setParent(group);
        layout->addWidget(label);
        layout->addWidget(control);
        return label;
    }
};

class EmptyPage : public PropertyPage {
  public:
    EmptyPage() { setWindowTitle("Other"); }
};

class BindingPageTest : public ::testing::Test {
  protected:
    BindingPageTest()
        : app_(std::make_unique<FixedPortSource>()),
          sheet_(PageContext{app_, prompts_, executor_}) {
        app_.Documents().LoadSettingsDocument(SettingsReply("internet"));
        sheet_.AddPage(&page_);
        sheet_.AddPage(&other_);
        // Stands in for the device: records the APN that was sent, answers with its own.
        sheet_.SetApplyHandlers(
            [this] {
                std::string apn;
                const BindingTable probe = {BindText("mobile_simple/apn", &apn, "")};
                ReadBindings(nullptr, probe, app_.Documents().SettingsNode());
                sent_.push_back(apn);
                app_.Documents().ReloadSettingsDocument(SettingsReply("device." + apn));
                return ApplyOutcome::Applied;
            },
            {});
    }

    CKestrionApp app_;
    test::ScriptedPrompts prompts_;
    HeadlessExecutor executor_{app_.Link()};
    MobileLikePage page_;
    EmptyPage other_;
    KestrionPropertySheet sheet_;
    std::vector<std::string> sent_;
};

TEST_F(BindingPageTest, OnlyControlsWhoseSettingsExistAreShownWithTheirLabelsAndGroups) {
    sheet_.show();
    EXPECT_TRUE(page_.apnEdit->isVisible());
    EXPECT_TRUE(page_.apnLabel->isVisible());
    EXPECT_TRUE(page_.bandLabel->isVisible());
    EXPECT_TRUE(page_.stateBox->isVisible());
    EXPECT_TRUE(page_.mobileGroup->isVisible());
    EXPECT_FALSE(page_.baudEdit->isVisible());
    EXPECT_FALSE(page_.baudLabel->isVisible());
    EXPECT_FALSE(page_.serialGroup->isVisible());

    EXPECT_EQ(page_.apnEdit->text(), "internet");
    ASSERT_EQ(page_.bandBox->count(), 3);
    EXPECT_EQ(page_.bandBox->currentText(), "1900");
    EXPECT_TRUE(page_.stateBox->isChecked());
    EXPECT_FALSE(page_.IsModified());
    EXPECT_FALSE(sheet_.ApplyButton()->isEnabled());
}

TEST_F(BindingPageTest, UserChangesMarkThePageModifiedLoadingDoesNot) {
    sheet_.show();
    page_.UpdateData(false);
    EXPECT_FALSE(page_.IsModified());
    QTest::keyClicks(page_.apnEdit, "x");
    EXPECT_TRUE(page_.IsModified());
    EXPECT_TRUE(sheet_.ApplyButton()->isEnabled());
}

TEST_F(BindingPageTest, ApplyOnTheActivePageSendsTheEditAndShowsWhatTheDeviceReports) {
    sheet_.show();
    page_.apnEdit->clear();
    QTest::keyClicks(page_.apnEdit, "web.example");
    page_.stateBox->click();
    ASSERT_FALSE(page_.stateBox->isChecked());
    QTest::mouseClick(sheet_.ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(sent_, std::vector<std::string>{"web.example"});
    EXPECT_EQ(page_.apnEdit->text(), "device.web.example");
    EXPECT_TRUE(page_.stateBox->isChecked());
    EXPECT_FALSE(page_.IsModified());
}

TEST_F(BindingPageTest, ChangesNotYetAppliedStayAsTypedWhenThePageIsShownAgain) {
    sheet_.show();
    page_.apnEdit->clear();
    QTest::keyClicks(page_.apnEdit, "typed.not.applied");
    sheet_.Tabs()->setCurrentIndex(1);
    ProcessEvents();
    ASSERT_EQ(sheet_.ActiveIndex(), 1);
    app_.Documents().ReloadSettingsDocument(SettingsReply("elsewhere"));
    sheet_.Tabs()->setCurrentIndex(0);
    ProcessEvents();
    EXPECT_EQ(page_.apnEdit->text(), "typed.not.applied");

    // A page without changes shows the document as it is now.
    page_.SetModified(false);
    sheet_.Tabs()->setCurrentIndex(1);
    ProcessEvents();
    sheet_.Tabs()->setCurrentIndex(0);
    ProcessEvents();
    EXPECT_EQ(page_.apnEdit->text(), "elsewhere");
}

}  // namespace
}  // namespace merivane
