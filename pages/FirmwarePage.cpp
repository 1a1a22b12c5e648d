#include "pages/FirmwarePage.h"

#include "app/CKestrionApp.h"
#include "ops/FileChoices.h"
#include "ops/FirmwareUpdate.h"
#include "ui/DataExchange.h"
#include "ui_FirmwarePage.h"

namespace merivane {

FirmwarePage::FirmwarePage(QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::FirmwarePage>()) {
    ui_->setupUi(this);
    // Room for a whole firmware version text.
    ui_->firmwareVersionEdit->setMinimumWidth(260);
    SetBoundDocument(BoundDocument::State);
    Bindings() = FirmwareInfoBindings(&product, &firmwareVersion);
    connect(ui_->browseButton, &QPushButton::clicked, this, &FirmwarePage::Browse);
    connect(ui_->updateButton, &QPushButton::clicked, this, &FirmwarePage::Update);
}

FirmwarePage::~FirmwarePage() = default;

void FirmwarePage::DoDataExchange(DataExchange& exchange) {
    exchange.Text(ui_->imagePathEdit, imagePath);
    exchange.Text(ui_->firmwareVersionEdit, firmwareVersion);
    exchange.Text(ui_->productEdit, product);
}

void FirmwarePage::OnInitDialog() {
    // The page hides none of its controls: the state only fills the two texts.
    InitDialogBase();
    ShowDeviceState();
    SetModified(false);
}

void FirmwarePage::ShowDeviceState() {
    ReadPageBindings();
    UpdateData(false);
}

void FirmwarePage::Browse() {
    // Starts from the path as last taken from the edit box.
    imagePath = BrowseForFile(Context().prompts, imagePath, kFirmwareImageChoice);
    UpdateData(false);
}

void FirmwarePage::Update() {
    UpdateData(true);
    const PageContext& context = Context();
    UpdateFirmware(imagePath, context.app.Documents(), context.executor, context.prompts,
                   AfterFirmwareUpdate::EndProcess, [this] { ShowDeviceState(); });
}

}  // namespace merivane
