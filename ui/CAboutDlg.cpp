#include "ui/CAboutDlg.h"

#include <QDesktopServices>
#include <QUrl>

#include "app/CKestrionApp.h"
#include "ui/CHyperLink.h"
#include "ui/GuiResources.h"
#include "ui/QtText.h"
#include "ui_CAboutDlg.h"

namespace merivane {

CAboutDlg::CAboutDlg(QWidget* parent, const std::string& webAddress)
    : QDialog(parent), ui_(std::make_unique<Ui::CAboutDlg>()), webAddress_(webAddress) {
    ui_->setupUi(this);
    connect(ui_->okButton, &QPushButton::clicked, this, &CAboutDlg::accept);

    QFont bold = ui_->titleLabel->font();
    bold.setBold(true);
    ui_->titleLabel->setFont(bold);

    const QString name = CKestrionApp::kDisplayName;
    ui_->iconLabel->setPixmap(AppIcon().pixmap(32, 32));
    ui_->titleLabel->setText(name);
    setWindowTitle(QString("About %1").arg(name));
    ui_->versionLabel->setText(ToQt(CKestrionApp::GetProductVersionText()));
    ui_->copyrightLabel->setText(kCopyright);

    if (webAddress_.empty()) {
        for (QWidget* part :
             {static_cast<QWidget*>(ui_->linkCaption), static_cast<QWidget*>(ui_->link)}) {
            part->setEnabled(false);
            part->hide();
        }
        return;
    }
    ui_->link->setText(ToQt(webAddress_));
    ui_->link->setAccessibleName(ToQt(webAddress_));
    ui_->linkCaption->setText(kLinkCaption);
    ui_->link->SetNotifyParent(true);
    connect(ui_->link, &CHyperLink::Clicked, this, &CAboutDlg::OpenWebAddress);
}

CAboutDlg::~CAboutDlg() = default;

QString CAboutDlg::TitleText() const { return ui_->titleLabel->text(); }
QString CAboutDlg::VersionText() const { return ui_->versionLabel->text(); }
QString CAboutDlg::CopyrightText() const { return ui_->copyrightLabel->text(); }
QString CAboutDlg::LinkCaptionText() const { return ui_->linkCaption->text(); }
CHyperLink* CAboutDlg::Link() const { return ui_->link; }

void CAboutDlg::OpenWebAddress() {
    if (!webAddress_.empty()) QDesktopServices::openUrl(QUrl(ToQt(webAddress_)));
}

}  // namespace merivane
