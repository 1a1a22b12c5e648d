#include "pages/ZelboPage.h"

#include "app/CKestrionApp.h"
#include "ops/FileChoices.h"
#include "ops/ZelboFirmware.h"
#include "settings/Bindings.h"
#include "ui/DataExchange.h"
#include "ui_ZelboPage.h"

namespace merivane {

ZelboPage::ZelboPage(QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::ZelboPage>()) {
    ui_->setupUi(this);
    // Room for a whole 64-bit address.
    ui_->extendedAddressEdit->setMinimumWidth(220);
    AcceptDigitsOnly({ui_->discoverTimeoutEdit, ui_->scanDurationEdit, ui_->joinTimeEdit});

    // One table for both documents: each document has only its own paths, so the
    // extended PAN ID read from the state is then replaced by the configured one.
    SetBoundDocument(BoundDocument::Zelbo);
    Bindings() = {
        BindText("zigbee_state/gateway_addr", &extendedAddress, "extendedAddressEdit"),
        BindText("zigbee_state/ext_pan_id", &extPanId, "extPanIdEdit"),
        BindText("zigbee_state/firmware_version", &firmwareVersion, "firmwareVersionEdit"),
        BindText("radio/ext_pan_id", &extPanId, "extPanIdEdit"),
        BindText("radio/join_time", &joinTime, "joinTimeEdit"),
        BindText("radio/node_id", &nodeId, "nodeIdEdit"),
        BindText("radio/discover_timeout", &discoverTimeout, "discoverTimeoutEdit"),
        BindText("radio/scan_channels", &scanChannels, "scanChannelsEdit"),
        BindText("radio/scan_duration", &scanDuration, "scanDurationEdit"),
    };

    connect(ui_->browseButton, &QPushButton::clicked, this, &ZelboPage::Browse);
    connect(ui_->updateButton, &QPushButton::clicked, this, &ZelboPage::UpdateRadioFirmware);
    MarkModifiedOnChange({ui_->extPanIdEdit, ui_->joinTimeEdit, ui_->nodeIdEdit,
                          ui_->discoverTimeoutEdit, ui_->scanChannelsEdit, ui_->scanDurationEdit});
}

ZelboPage::~ZelboPage() = default;

void ZelboPage::DoDataExchange(DataExchange& exchange) {
    exchange.Text(ui_->extendedAddressEdit, extendedAddress);
    exchange.Text(ui_->extPanIdEdit, extPanId);
    exchange.Text(ui_->firmwareVersionEdit, firmwareVersion);
    exchange.Text(ui_->joinTimeEdit, joinTime);
    exchange.Text(ui_->nodeIdEdit, nodeId);
    exchange.Text(ui_->discoverTimeoutEdit, discoverTimeout);
    exchange.Text(ui_->scanChannelsEdit, scanChannels);
    exchange.Text(ui_->scanDurationEdit, scanDuration);
    exchange.Text(ui_->firmwareFileEdit, firmwareFile);
    exchange.Text(ui_->productTypeEdit, productType);
}

QLineEdit* ZelboPage::FieldEdit(ZelboField field) const {
    switch (field) {
        case ZelboField::ExtPanId:
            return ui_->extPanIdEdit;
        case ZelboField::DiscoverTimeout:
            return ui_->discoverTimeoutEdit;
        case ZelboField::ScanChannels:
            return ui_->scanChannelsEdit;
        case ZelboField::ScanDuration:
            return ui_->scanDurationEdit;
        case ZelboField::JoinTime:
            return ui_->joinTimeEdit;
        case ZelboField::None:
            break;
    }
    return nullptr;
}

void ZelboPage::OnInitDialog() {
    // Unlike the other settings pages, every control stays visible.
    InitDialogBase();
    ShowDocuments();
    SetModified(false);
}

bool ZelboPage::OnSetActive() { return BaseSetActive(); }

void ZelboPage::ShowDocuments() {
    ReadBindings(this, Bindings(), Context().app.Documents().StateNode());
    ReadPageBindings();
    UpdateData(false);
}

bool ZelboPage::OnApply() {
    // The sheet has just taken the controls into the members.
    const ZelboFields fields{extPanId, discoverTimeout, scanChannels, scanDuration, joinTime};
    const ZelboField failed = CheckZelboFields(fields, Context().prompts);
    if (failed != ZelboField::None) {
        QLineEdit* edit = FieldEdit(failed);
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        return false;
    }
    return PropertyPage::OnApply();
}

void ZelboPage::Browse() {
    firmwareFile = BrowseForFile(Context().prompts, firmwareFile, kRadioImageChoice);
    UpdateData(false);
}

void ZelboPage::UpdateRadioFirmware() {
    UpdateData(true);
    const PageContext& context = Context();
    const FirmwareOutcome outcome = merivane::UpdateRadioFirmware(
        firmwareFile, context.app.Documents(), context.executor, context.prompts);
    // The radio's new state and settings, once the update has run.
    if (outcome == FirmwareOutcome::Updated || outcome == FirmwareOutcome::UpdateFailed)
        ShowDocuments();
}

}  // namespace merivane
