#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QEnterEvent>
#include <QLabel>
#include <QTest>
#include <QUrl>

#include "ui/CAboutDlg.h"
#include "ui/CHyperLink.h"

namespace merivane {
namespace {

// Catches what the desktop would open in the browser.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    UrlCatcher() {
        QDesktopServices::setUrlHandler("https", this, "Open");
        QDesktopServices::setUrlHandler("http", this, "Open");
    }
    ~UrlCatcher() override {
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("http");
    }
    QList<QUrl> opened;

  public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

TEST(AboutBoxTest, ShowsNameVersionCopyrightAndTheMakersLink) {
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "About Varik Merivane");
    EXPECT_EQ(about.TitleText(), "Varik Merivane");
    EXPECT_TRUE(about.findChild<QLabel*>("titleLabel")->font().bold());
    EXPECT_EQ(about.VersionText(), "Version 1.0.33.0");
    EXPECT_EQ(about.CopyrightText(), CAboutDlg::kCopyright);
    EXPECT_EQ(about.LinkCaptionText(), "Visit us at");
    EXPECT_EQ(about.Link()->text(), CAboutDlg::kWebAddress);
    EXPECT_TRUE(about.Link()->NotifyParent());
}

TEST(AboutBoxTest, ClickingTheLinkOrPressingSpaceOnItOpensTheWebAddress) {
    UrlCatcher catcher;
    CAboutDlg about;
    about.show();
    QTest::mouseClick(about.Link(), Qt::LeftButton);
    about.Link()->setFocus();
    QTest::keyClick(about.Link(), Qt::Key_Space);
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(catcher.opened[0], QUrl(CAboutDlg::kWebAddress));
}

TEST(AboutBoxTest, WithoutAWebAddressThereIsNoLink) {
    UrlCatcher catcher;
    CAboutDlg about(nullptr, "");
    about.show();
    EXPECT_FALSE(about.Link()->isVisible());
    EXPECT_FALSE(about.Link()->isEnabled());
    EXPECT_FALSE(about.findChild<QLabel*>("linkCaption")->isVisible());
    QTest::mouseClick(about.Link(), Qt::LeftButton);
    EXPECT_TRUE(catcher.opened.isEmpty());
}

TEST(HyperLinkTest, TheLinkIsUnderlinedInTheHoverColourWhileTheMouseIsOverIt) {
    QWidget parent;
    CHyperLink link(&parent);
    link.setText("somewhere");
    parent.show();
    EXPECT_EQ(link.LinkColour(), link.palette().color(QPalette::Link));
    EXPECT_EQ(link.HoverColour(), QColor(255, 0, 0));
    EXPECT_EQ(link.ShownColour(), link.LinkColour());
    EXPECT_FALSE(link.font().underline());
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);

    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(&link, &enter);
    EXPECT_TRUE(link.Hovered());
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(255, 0, 0));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&link, &leave);
    EXPECT_FALSE(link.Hovered());
    EXPECT_FALSE(link.font().underline());
    EXPECT_EQ(link.palette().color(QPalette::WindowText), link.LinkColour());
}

TEST(HyperLinkTest, AClickIsReportedOnlyWhenTheParentAskedForIt) {
    QWidget parent;
    CHyperLink link(&parent);
    link.setText("somewhere");
    parent.show();
    int reports = 0;
    QObject::connect(&link, &CHyperLink::Clicked, [&] { ++reports; });
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(reports, 0);
    link.SetNotifyParent(true);
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(reports, 1);
}

}  // namespace
}  // namespace merivane

#include "AboutBoxTest.moc"
