#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>
#include <climits>

#include "support/ScriptedPrompts.h"
#include "ui/DataExchange.h"

namespace merivane {
namespace {

using test::ScriptedPrompts;

struct IntegerCase {
    const char* text;
    bool ok;
    int value;
};

TEST(DataExchangeTest, IntegerFieldsReadWholeDecimalNumbersOnly) {
    const IntegerCase cases[] = {
        {"42", true, 42},
        {"  7\t", true, 7},
        {"-3", true, -3},
        {"+5", true, 5},
        {"0", true, 0},
        {"", false, 0},
        {"   ", false, 0},
        {"abc", false, 0},
        {"12abc", false, 0},
        {"1 2", false, 0},
        {"99999999999", false, 0},
        {"2147483647", true, INT_MAX},
    };
    for (const IntegerCase& c : cases) {
        int value = -1;
        EXPECT_EQ(DataExchange::ParseInteger(c.text, value), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

class DataExchangeWidgetsTest : public ::testing::Test {
  protected:
    DataExchangeWidgetsTest() {
        first_ = new QLineEdit(&page_);
        second_ = new QLineEdit(&page_);
        page_.show();
    }

    QWidget page_;
    QLineEdit* first_;
    QLineEdit* second_;
    ScriptedPrompts prompts_;
};

TEST_F(DataExchangeWidgetsTest, AValueOutsideItsRangeFailsWithTheStandardMessageAndTheFocus) {
    int hours = 0;
    int minutes = 0;
    first_->setText("10");
    second_->setText("30");
    DataExchange save(true, &prompts_);
    save.Int(first_, hours, 0, 9);
    save.Int(second_, minutes, 0, 60);
    EXPECT_TRUE(save.Failed());
    EXPECT_EQ(save.FailedControl(), first_);
    EXPECT_EQ(page_.focusWidget(), first_);
    // The pass stops at the first failure.
    EXPECT_EQ(minutes, 0);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text, "Please enter an integer between 0 and 9.");
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, "Varik Merivane");
    EXPECT_EQ(prompts_.ShownPrompts()[0].icon, Prompts::Icon::Warning);
}

TEST_F(DataExchangeWidgetsTest, ATextThatIsNoNumberFailsWithTheIntegerMessage) {
    int value = 5;
    second_->setText("");
    DataExchange save(true, &prompts_);
    save.Int(second_, value, 0, 60);
    EXPECT_TRUE(save.Failed());
    EXPECT_EQ(value, 5);
    EXPECT_EQ(prompts_.Texts(), std::vector<std::string>{"Please enter an integer."});

    // Within range, both bounds included.
    prompts_.ClearShown();
    second_->setText("60");
    DataExchange again(true, &prompts_);
    again.Int(second_, value, 0, 60);
    EXPECT_FALSE(again.Failed());
    EXPECT_EQ(value, 60);
    EXPECT_TRUE(prompts_.ShownPrompts().empty());
}

TEST_F(DataExchangeWidgetsTest, ATextWithAControlCharacterFailsAndKeepsTheMember) {
    std::string apn = "internet";
    first_->setText(
        QString::fromUtf8("ab\x01"
                          "cd"));
    DataExchange save(true, &prompts_);
    save.Text(first_, apn);
    EXPECT_TRUE(save.Failed());
    EXPECT_EQ(apn, "internet");
    EXPECT_EQ(page_.focusWidget(), first_);
    EXPECT_EQ(prompts_.Texts(), std::vector<std::string>{DataExchange::kTextMessage});
}

TEST_F(DataExchangeWidgetsTest, LoadingPutsTheMembersIntoTheControls) {
    std::string text = "hello";
    int number = -12;
    int checked = 1;
    auto* box = new QCheckBox("Box", &page_);
    DataExchange load(false, &prompts_);
    load.Text(first_, text);
    load.Int(second_, number);
    load.Check(box, checked);
    EXPECT_EQ(first_->text(), "hello");
    EXPECT_EQ(second_->text(), "-12");
    EXPECT_TRUE(box->isChecked());

    box->setChecked(false);
    DataExchange save(true, &prompts_);
    save.Check(box, checked);
    EXPECT_EQ(checked, 0);
}

TEST_F(DataExchangeWidgetsTest, AComboSelectsTheFirstEntryBeginningWithTheValue) {
    auto* list = new QComboBox(&page_);
    list->addItems({"Auto", "GSM 850", "GSM 1900"});
    list->setCurrentIndex(0);
    std::string value = "gsm";
    DataExchange load(false, nullptr);
    load.ComboString(list, value);
    EXPECT_EQ(list->currentText(), "GSM 850");

    // Without a match a drop-down list keeps its selection.
    value = "LTE";
    DataExchange loadAgain(false, nullptr);
    loadAgain.ComboString(list, value);
    EXPECT_EQ(list->currentText(), "GSM 850");

    // An editable box shows the value itself.
    auto* editable = new QComboBox(&page_);
    editable->setEditable(true);
    editable->addItems({"COM3", "COM7"});
    value = "ttyUSB2";
    DataExchange loadEditable(false, nullptr);
    loadEditable.ComboString(editable, value);
    EXPECT_EQ(editable->currentText(), "ttyUSB2");

    std::string saved;
    DataExchange save(true, nullptr);
    save.ComboString(editable, saved);
    EXPECT_EQ(saved, "ttyUSB2");
}

}  // namespace
}  // namespace merivane
