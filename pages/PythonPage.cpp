#include "pages/PythonPage.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QTreeWidget>

#include "app/CKestrionApp.h"
#include "app/Prompts.h"
#include "ops/FileChoices.h"
#include "ops/PythonAutostart.h"
#include "ops/PythonFileDelete.h"
#include "ops/PythonFileDownload.h"
#include "ops/PythonFileList.h"
#include "ops/PythonFileUpload.h"
#include "ui/DataExchange.h"
#include "ui/QtText.h"
#include "ui_PythonPage.h"

namespace merivane {
namespace {

// A family whose letters all have one width: "Courier New" where it is
// installed, else the desktop's fixed-pitch font, else any fixed-pitch family.
QString FixedPitchFamily() {
    if (QFontDatabase::hasFamily("Courier New")) return "Courier New";
    const QString system = QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
    if (QFontDatabase::isFixedPitch(system)) return system;
    for (const QString& family : QFontDatabase::families())
        if (QFontDatabase::isFixedPitch(family)) return family;
    return system;
}

// The file list's font: fixed pitch, so that the sizes of names up to 20
// characters stand in one column.
QFont FileListFont() {
    QFont font(FixedPitchFamily());
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(14);
    return font;
}

// Where an entry keeps its place in the page's file records.
constexpr int kFileIndexRole = Qt::UserRole;

}  // namespace

PythonPage::PythonPage(QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::PythonPage>()) {
    ui_->setupUi(this);
    // One column as wide as the longest entry: a long name scrolls sideways.
    ui_->fileList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui_->fileList->header()->setStretchLastSection(false);
    ui_->fileList->setSelectionMode(QAbstractItemView::SingleSelection);

    SetBoundDocument(BoundDocument::Settings);
    Bindings() = PythonAutostartBindings(&autostartEnabled, &autostartCommandLine, "autostartCheck",
                                         "autostartCommandEdit");

    connect(ui_->refreshButton, &QPushButton::clicked, this, &PythonPage::Refresh);
    connect(ui_->deleteButton, &QPushButton::clicked, this, &PythonPage::DeleteCheckedFiles);
    connect(ui_->browseButton, &QPushButton::clicked, this, &PythonPage::BrowseForUpload);
    connect(ui_->uploadButton, &QPushButton::clicked, this, &PythonPage::UploadFile);
    connect(ui_->downloadButton, &QPushButton::clicked, this, &PythonPage::DownloadCheckedFiles);
    // A click on the check box takes every control's value, then marks the page changed.
    AddSwitch(ui_->autostartCheck, [] {});
    MarkModifiedOnChange({ui_->autostartCommandEdit});
}

PythonPage::~PythonPage() = default;

void PythonPage::DoDataExchange(DataExchange& exchange) {
    exchange.Text(ui_->uploadPathEdit, uploadPath);
    exchange.Check(ui_->autostartCheck, autostartEnabled);
    exchange.Text(ui_->autostartCommandEdit, autostartCommandLine);
}

void PythonPage::OnInitDialog() {
    // Every control of this page stays visible: the files and the transfer
    // buttons belong to no setting.
    ui_->fileList->setFont(FileListFont());
    LoadFromDevice();
}

void PythonPage::LoadFromDevice() {
    InitDialogBase();
    ReadPageBindings();
    const PythonFileListing listing = FetchPythonFileList(Context().executor);
    // An answer without a list leaves the list as it was.
    if (listing.answered) ShowFiles(listing);
    // The auto-start values just read are shown whether or not the list came.
    UpdateData(false);
    SetModified(false);
}

void PythonPage::Refresh() {
    ClearFiles();
    // Drops auto-start edits that were not applied; the device's values follow.
    UpdateData(false);
    LoadFromDevice();
}

void PythonPage::ClearFiles() {
    ui_->fileList->clear();
    files_.clear();
    listed_ = false;
}

bool PythonPage::ConfirmAutostartWarning(const std::string& warning, const char* question) {
    return Context().prompts.YesNo(warning + "\r\n\r\n" + question, CKestrionApp::kDisplayName,
                                   Prompts::Icon::Warning) == Prompts::Answer::Yes;
}

void PythonPage::ShowFiles(const PythonFileListing& listing) {
    ClearFiles();
    files_ = listing.entries;
    listed_ = listing.answered;
    for (size_t i = 0; i < files_.size(); ++i) {
        auto* item = new QTreeWidgetItem(ui_->fileList, QStringList{ToQt(files_[i].text)});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        item->setData(0, kFileIndexRole, static_cast<qulonglong>(i));
    }
}

std::vector<PythonFileEntry> PythonPage::CheckedFiles() const {
    std::vector<PythonFileEntry> checked;
    for (int i = 0; i < ui_->fileList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = ui_->fileList->topLevelItem(i);
        if (item->checkState(0) != Qt::Checked) continue;
        const size_t index = item->data(0, kFileIndexRole).toULongLong();
        if (index < files_.size()) checked.push_back(files_[index]);
    }
    return checked;
}

void PythonPage::DeleteCheckedFiles() {
    std::vector<std::string> names;
    for (const PythonFileEntry& file : CheckedFiles()) names.push_back(file.name);
    const std::string autostartProgram = ActiveAutostartProgram(Context().app.Documents());
    for (const std::string& name : names)
        if (!autostartProgram.empty() && name == autostartProgram &&
            !ConfirmAutostartWarning(DeletedAutostartProgramWarning(name), "Delete it?"))
            return;
    const DeleteResult result = DeletePythonFiles(names, Context().executor, Context().prompts);
    if (result.outcome != DeleteOutcome::Deleted) return;
    // The list shows what is left; an answer without a list leaves it empty.
    ShowFiles(result.listing);
    UpdateData(false);
}

void PythonPage::BrowseForUpload() {
    uploadPath = BrowseForFile(Context().prompts, uploadPath, kPythonFileChoice);
    UpdateData(false);
}

void PythonPage::UploadFile() {
    UpdateData(true);
    const UploadResult result = UploadPythonFile(uploadPath, Context().executor, Context().prompts);
    if (result.outcome == UploadOutcome::Refused) return;
    ShowFiles(result.listing);
    UpdateData(false);
}

void PythonPage::DownloadCheckedFiles() {
    const std::vector<PythonFileEntry> checked = CheckedFiles();
    if (checked.empty()) return;
    DownloadPythonFiles(checked, Context().executor, Context().prompts);
}

bool PythonPage::OnApply() {
    if (!AutostartSettingsAcceptable(autostartEnabled, autostartCommandLine)) {
        CheckAutostartSettings(autostartEnabled, autostartCommandLine, Context().prompts);
        return false;
    }
    const std::string program = AutostartProgram(autostartCommandLine);
    if (autostartEnabled && listed_ && !program.empty() &&
        FindPythonFile(PythonFileListing{true, files_}, program) == nullptr &&
        !ConfirmAutostartWarning(MissingAutostartProgramWarning(program), "Apply it anyway?"))
        return false;
    return PropertyPage::OnApply();
}

}  // namespace merivane
