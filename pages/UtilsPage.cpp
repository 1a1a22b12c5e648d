#include "pages/UtilsPage.h"

#include "app/CKestrionApp.h"
#include "app/Prompts.h"
#include "ops/ConfigurationBackup.h"
#include "ops/ConfigurationRestore.h"
#include "ops/DeviceUtilities.h"
#include "ops/DiagnosticReport.h"
#include "ops/FileChoices.h"
#include "ops/OpsMessages.h"
#include "ops/SelectedSettings.h"
#include "ops/SettingsFile.h"
#include "pages/SignalMonitorPanel.h"
#include "ui/CompareDialog.h"
#include "ui/DataExchange.h"
#include "ui/KestrionPropertySheet.h"
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
    connect(ui_->compareButton, &QPushButton::clicked, this, &UtilsPage::OnCompare);
    connect(ui_->reportButton, &QPushButton::clicked, this, &UtilsPage::OnSaveReport);
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

void UtilsPage::OnCompare() {
    const PageContext& context = Context();
    const std::string path = BrowseForFile(context.prompts, "", kRestoreFileChoice);
    if (path.empty()) return;
    std::string problem;
    const XmlDocPtr file = ReadSettingsFile(path, problem);
    if (file == nullptr) {
        context.prompts.Inform(problem, kErrorCaption, Prompts::Icon::Error);
        return;
    }
    DocumentStore& documents = context.app.Documents();
    if (documents.SettingsNode() == nullptr) {
        context.prompts.Inform(KestrionPropertySheet::kSettingsNotLoaded,
                               CKestrionApp::kDisplayName, Prompts::Icon::Warning);
        return;
    }
    const auto send = [&](const std::vector<std::string>& paths) {
        const ApplyOutcome outcome =
            SendSelectedSettings(file.get(), paths, context.executor, documents);
        if (outcome == ApplyOutcome::ReadBackFailed)
            context.prompts.Inform(KestrionPropertySheet::kReadBackFailed,
                                   KestrionPropertySheet::kReadBackCaption, Prompts::Icon::Warning);
    };
    const auto save = [&](const std::vector<std::string>& paths) {
        const std::string target = context.prompts.SaveFile("template.cfg", "cfg", "*.cfg");
        if (target.empty()) return;
        const XmlDocPtr request = SelectSettings(file.get(), paths);
        std::string error;
        if (!WriteSettingsFile(request.get(), target, error))
            context.prompts.Inform(
                FillIn("The template could not be saved to %s (%s).", {target, error}),
                kErrorCaption, Prompts::Icon::Error);
    };
    CompareDialog dialog(path, CompareSettings(documents.SettingsNode(), SettingsStart(file.get())),
                         send, save, this);
    dialog.exec();
}

void UtilsPage::OnSaveReport() {
    // The signal samples of this run are the Device Information page's monitor's.
    std::deque<SignalSample> signal;
    if (const auto* monitor = window()->findChild<SignalMonitorPanel*>())
        signal = monitor->History().Samples();
    SaveDiagnosticReport(Context().app, signal, Context().prompts);
}

}  // namespace merivane
