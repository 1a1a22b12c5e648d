#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>

#include "GuiTestSupport.h"
#include "link/Transport.h"
#include "ui/QtPrompts.h"
#include "ui/QtText.h"
#include "ui/USBDialog.h"

namespace merivane {
namespace {

TEST(QtTextTest, DeviceBytesThatAreNotUtf8AreShownNotTrusted) {
    // Invalid sequences, a lone continuation byte, a truncated sequence and a NUL.
    const std::string hostile("ok\xff\xfe\x80 \xe2\x82", 9);
    const QString shown = ToQt(hostile);
    EXPECT_TRUE(shown.startsWith("ok"));
    EXPECT_TRUE(shown.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(ToQt(std::string("a\0b", 3)).size(), 3);
    // Valid text goes both ways unchanged, "&" and "<" included.
    const std::string apn = "fleet.example & <co> \xc3\xa9t\xc3\xa9";
    EXPECT_EQ(FromQt(ToQt(apn)), apn);
}

// Device file names and local paths may hold "<" and "&"; where they are shown
// they must read as they are, not as markup that hides or restyles them.
TEST(QtTextTest, MessagesAndStepTextsAreNeverReadAsMarkup) {
    const std::string hostile = "The file <b>x</b><img src=\"y\">.py &lt; cannot be read.";
    QtPrompts prompts;
    Qt::TextFormat boxFormat = Qt::RichText;
    QString boxText;
    test::WhenModalAppears([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        boxFormat = box->textFormat();
        boxText = box->text();
        box->accept();
    });
    prompts.Inform(hostile, "Error", Prompts::Icon::Error);
    EXPECT_EQ(boxFormat, Qt::PlainText);
    EXPECT_EQ(FromQt(boxText), hostile);

    Transport transport;
    USBDialog dialog(transport);
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    EXPECT_FALSE(labels.empty());
    for (QLabel* label : labels)
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
}

}  // namespace
}  // namespace merivane
