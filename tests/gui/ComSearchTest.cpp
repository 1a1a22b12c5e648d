#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "GuiTestSupport.h"
#include "ui/ComSearch.h"

namespace merivane {
namespace {

using test::WhenModalAppears;

QPushButton* OkButton(QWidget* dialog) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == "OK") return button;
    return nullptr;
}

TEST(ComSearchTest, TheNamesAppearSortedAndOkWithoutTouchingChoosesTheFirstSorted) {
    ComSearch dialog;
    dialog.candidates = {"/dev/ttyACM1", "/dev/ttyACM0", "COM7", "com10"};
    QStringList shown;
    QString prompt;
    WhenModalAppears([&](QWidget* modal) {
        auto& search = *static_cast<ComSearch*>(modal);
        for (int i = 0; i < search.ChoiceBox()->count(); ++i)
            shown << search.ChoiceBox()->itemText(i);
        prompt = modal->findChild<QLabel*>("prompt")->text();
        QTest::mouseClick(OkButton(modal), Qt::LeftButton);
    });
    dialog.exec();
    EXPECT_EQ(shown, (QStringList{"/dev/ttyACM0", "/dev/ttyACM1", "com10", "COM7"}));
    EXPECT_EQ(dialog.choice, "/dev/ttyACM0");
    EXPECT_EQ(dialog.windowTitle(), "Select Product to configure");
    EXPECT_EQ(
        prompt,
        "Found multiple supported products.  Please select the one you would like to configure");
}

TEST(ComSearchTest, ATypedNameIsTheChoice) {
    ComSearch dialog;
    dialog.candidates = {"/dev/ttyACM0", "/dev/ttyACM1"};
    WhenModalAppears([&](QWidget* modal) {
        QLineEdit* typed = static_cast<ComSearch*>(modal)->ChoiceBox()->lineEdit();
        typed->clear();
        QTest::keyClicks(typed, "/dev/ttyUSB4");
        QTest::mouseClick(OkButton(modal), Qt::LeftButton);
    });
    dialog.exec();
    EXPECT_EQ(dialog.choice, "/dev/ttyUSB4");
}

TEST(ComSearchTest, ClosingWithoutOkLeavesTheChoiceEmpty) {
    WhenModalAppears([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(ComSearch::Choose({"/dev/ttyACM0", "/dev/ttyACM1"}), "");

    WhenModalAppears([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(ComSearch::Choose({"/dev/ttyACM0", "/dev/ttyACM1"}), "");

    WhenModalAppears([](QWidget* modal) { QTest::mouseClick(OkButton(modal), Qt::LeftButton); });
    EXPECT_EQ(ComSearch::Choose({"/dev/ttyACM1", "/dev/ttyACM0"}), "/dev/ttyACM0");
}

}  // namespace
}  // namespace merivane
