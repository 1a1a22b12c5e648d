#include "pages/UtilsPage.h"

#include "app/CKestrionApp.h"
#include "ops/ConfigurationBackup.h"
#include "ops/ConfigurationRestore.h"
#include "ops/DeviceUtilities.h"
#include "ops/FileChoices.h"
#include "ui/DataExchange.h"
#include "ui_UtilsPage.h"

namespace merivane {

UtilsPage::UtilsPage(QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::UtilsPage>()) {
    ui_->setupUi(this);
    // Built with the page, never shown.
    ui_->factoryDefaultsGroup->hide();

    connect(ui_->backupButton, &QPushButton::clicked, this, &UtilsPage::OnBackup);
    connect(ui_->browseButton, &QPushButton::clicked, this, &UtilsPage::OnBrowse);
    connect(ui_->restoreButton, &QPushButton::clicked, this, &UtilsPage::OnRestore);
    connect(ui_->rebootButton, &QPushButton::clicked, this, &UtilsPage::OnReboot);
    connect(ui_->factoryDefaultsButton, &QPushButton::clicked, this,
            &UtilsPage::OnRestoreFactoryDefaults);
}

UtilsPage::~UtilsPage() = default;

void UtilsPage::DoDataExchange(DataExchange& exchange) {
    exchange.Text(ui_->restorePathEdit, restorePath);
}

void UtilsPage::OnBackup() {
    const PageContext& context = Context();
    BackupSettings(context.app.Documents(), context.prompts);
}

void UtilsPage::OnBrowse() {
    restorePath = BrowseForFile(Context().prompts, restorePath, kRestoreFileChoice);
    UpdateData(false);
}

void UtilsPage::OnRestore() {
    UpdateData(true);
    // The other pages show the settings read back the next time they become active.
    RestoreSettings(restorePath, Context().app.Documents(), Context().executor, Context().prompts);
}

void UtilsPage::OnReboot() { RebootDevice(Context().executor); }

void UtilsPage::OnRestoreFactoryDefaults() {
    RestoreFactoryDefaults(Context().app.Documents(), Context().executor, Context().prompts);
}

}  // namespace merivane
