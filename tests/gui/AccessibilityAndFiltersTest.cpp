#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "pages/MainPage.h"
#include "ui/QtPrompts.h"

namespace merivane {
namespace {

QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name) : QString();
}

TEST(AccessibilityTest, EveryControlOfTheDeviceInformationPageIsNamedByItsLabel) {
    MainPage page;
    const std::pair<const char*, const char*> named[] = {
        {"statusEdit", "Status"},
        {"productEdit", "Product"},
        {"firmwareEdit", "Firmware Version"},
        {"imeiEdit", "Serial Number (IMEI)"},
        {"phoneEdit", "Phone Number"},
        {"iccidEdit", "ICCID"},
        {"imsiEdit", "IMSI"},
        {"modemTypeEdit", "Modem Type"},
        {"modemRevisionEdit", "Modem Revision"},
        {"ipAddress", "Mobile IP Address"},
        {"refreshButton", "Refresh"},
        {"linkIndicator", "Link"},
        {"signalBar1", "Signal Strength bar 1"},
        {"signalBar5", "Signal Strength bar 5"},
    };
    for (const auto& [object, name] : named) {
        auto* widget = page.findChild<QWidget*>(object);
        ASSERT_NE(widget, nullptr) << object;
        EXPECT_EQ(AccessibleName(widget).toStdString(), name) << object;
    }
    // No edit is left without a name.
    for (QLineEdit* edit : page.findChildren<QLineEdit*>())
        EXPECT_FALSE(AccessibleName(edit).isEmpty()) << edit->objectName().toStdString();
}

TEST(FileFilterTest, PageFiltersBecomeFileDialogFilters) {
    EXPECT_EQ(QtPrompts::NameFilters("Python Files (*.py)|*.py|All Files (*.*)|*.*||"),
              (QStringList{"Python Files (*.py)", "All Files (*)"}));
    EXPECT_EQ(QtPrompts::NameFilters("Firmware|*.dwl;*.bin||"),
              QStringList{"Firmware (*.dwl *.bin)"});
    EXPECT_EQ(QtPrompts::NameFilters("Configuration Files (*.cfg)|*.cfg||Ignored|*.x"),
              QStringList{"Configuration Files (*.cfg)"});
    EXPECT_TRUE(QtPrompts::NameFilters("").isEmpty());
}

}  // namespace
}  // namespace merivane
