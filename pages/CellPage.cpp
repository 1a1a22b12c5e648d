#include "pages/CellPage.h"

#include "settings/BandTable.h"
#include "ui/DataExchange.h"
#include "ui_CellPage.h"

namespace merivane {

CellPage::CellPage(QWidget* parent)
    : PropertyPage(parent), bandChoices(BandChoices()), ui_(std::make_unique<Ui::CellPage>()) {
    ui_->setupUi(this);
    SetBoundDocument(BoundDocument::Settings);
    Bindings() = {
        BindText("mobile_simple/apn", &apn, "apnEdit"),
        BindText("mobile_simple/username", &username, "usernameEdit"),
        BindText("mobile_simple/password", &password, "passwordEdit"),
        BindText("mobile_simple/pin", &simPin, "simPinEdit"),
        {"mobile_simple/mobile_gsm_band", &bandText, "bandBox", &bandChoices,
         BIND_TEXT | BIND_CHOICES, BandCodeToText, BandTextToCode},
    };
    // The provider box is drawn when the device has an APN; the connection
    // settings of the form are never shown.
    FrameWith(ui_->providerGroup, ui_->apnEdit);
    FrameWith(ui_->bandGroup, ui_->bandBox);
    MarkModifiedOnChange(
        {ui_->apnEdit, ui_->usernameEdit, ui_->passwordEdit, ui_->simPinEdit, ui_->bandBox});
    // The password and the SIM PIN are masked; each "Show" box beside them shows its own.
    AddShowToggle(ui_->passwordEdit, ui_->showPasswordCheck);
    AddShowToggle(ui_->simPinEdit, ui_->showSimPinCheck);
}

CellPage::~CellPage() = default;

void CellPage::DoDataExchange(DataExchange& exchange) {
    exchange.Text(ui_->apnEdit, apn);
    exchange.Text(ui_->passwordEdit, password);
    exchange.Text(ui_->simPinEdit, simPin);
    exchange.Text(ui_->usernameEdit, username);
    exchange.ComboStringKeepingValue(ui_->bandBox, bandText);
}

}  // namespace merivane
