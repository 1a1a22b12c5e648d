#include "pages/TelvoraPage.h"

#include "settings/ServerScheme.h"
#include "ui/DataExchange.h"
#include "ui_TelvoraPage.h"

namespace merivane {

TelvoraPage::TelvoraPage(QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::TelvoraPage>()) {
    ui_->setupUi(this);
    SetBoundDocument(BoundDocument::Settings);
    // The delays show the auto-reconnect and retry switches, which have no setting of their own.
    Bindings() = {
        BindOnOff("mgmtconnection/connectionEnabled", &deviceInitiated, "deviceInitiatedCheck"),
        {"mgmtconnection/ServerArray&index=1/serverAddress", &serverAddress,
         "deviceServerAddressEdit", nullptr, BIND_TEXT, StripServerScheme, AddServerScheme},
        BindInt("mgmtconnection/clientConnectionReconnectTimeout", &reconnectTimeout,
                "autoReconnectCheck"),
        BindOnOff("mgmtconnection&index=3/connectionEnabled", &serverInitiated,
                  "serverInitiatedCheck"),
        BindOnOff("mgmtconnection&index=3/lastKnownAddressUpdateEnabled", &lkaUpdates, "lkaCheck"),
        BindText("mgmtconnection&index=3/ServerArray&index=1/serverAddress", &lkaServerAddress,
                 "lkaServerAddressEdit"),
        BindInt("mgmtconnection&index=3/clientConnectionReconnectTimeout", &retryTimeout,
                "retryCheck"),
    };

    // Each connection's switch brings its box, its address label and its delay row.
    FrameWith(ui_->deviceInitiatedGroup, ui_->deviceInitiatedCheck);
    ShowWith(ui_->deviceInitiatedCheck,
             {ui_->deviceServerAddressLabel, ui_->reconnectAfterLabel, ui_->reconnectHoursEdit,
              ui_->reconnectHoursLabel, ui_->reconnectMinutesEdit, ui_->reconnectMinutesLabel,
              ui_->reconnectSecondsEdit, ui_->reconnectSecondsLabel});
    FrameWith(ui_->serverInitiatedGroup, ui_->serverInitiatedCheck);
    ShowWith(ui_->serverInitiatedCheck,
             {ui_->lkaServerAddressLabel, ui_->retryAfterLabel, ui_->retryHoursEdit,
              ui_->retryHoursLabel, ui_->retryMinutesEdit, ui_->retryMinutesLabel,
              ui_->retrySecondsEdit, ui_->retrySecondsLabel});

    AcceptDigitsOnly({ui_->reconnectHoursEdit, ui_->reconnectMinutesEdit, ui_->reconnectSecondsEdit,
                      ui_->retryHoursEdit, ui_->retryMinutesEdit, ui_->retrySecondsEdit});
    MarkModifiedOnChange({ui_->deviceServerAddressEdit, ui_->reconnectHoursEdit,
                          ui_->reconnectMinutesEdit, ui_->reconnectSecondsEdit,
                          ui_->lkaServerAddressEdit, ui_->retryHoursEdit, ui_->retryMinutesEdit,
                          ui_->retrySecondsEdit});
    AddSwitch(ui_->autoReconnectCheck, [this] { ReconnectRule(); });
    AddSwitch(ui_->deviceInitiatedCheck, [this] { DeviceInitiatedRule(); });
    AddSwitch(ui_->retryCheck, [this] { RetryRule(); });
    AddSwitch(ui_->lkaCheck, [this] { LkaRule(); });
    AddSwitch(ui_->serverInitiatedCheck, [this] { ServerInitiatedRule(); });
}

TelvoraPage::~TelvoraPage() = default;

void TelvoraPage::DoDataExchange(DataExchange& exchange) {
    exchange.Check(ui_->deviceInitiatedCheck, deviceInitiated);
    exchange.Text(ui_->deviceServerAddressEdit, serverAddress);
    exchange.Int(ui_->reconnectHoursEdit, reconnect.hours, 0, 9);
    exchange.Int(ui_->reconnectMinutesEdit, reconnect.minutes, 0, 60);
    exchange.Int(ui_->reconnectSecondsEdit, reconnect.seconds, 0, 60);
    exchange.Check(ui_->autoReconnectCheck, reconnect.enabled);
    exchange.Check(ui_->serverInitiatedCheck, serverInitiated);
    exchange.Text(ui_->lkaServerAddressEdit, lkaServerAddress);
    exchange.Check(ui_->lkaCheck, lkaUpdates);
    exchange.Check(ui_->retryCheck, retry.enabled);
    exchange.Int(ui_->retryHoursEdit, retry.hours, 0, 9);
    exchange.Int(ui_->retryMinutesEdit, retry.minutes, 0, 60);
    exchange.Int(ui_->retrySecondsEdit, retry.seconds, 0, 60);
}

void TelvoraPage::OnInitDialog() {
    PropertyPage::OnInitDialog();
    // A connection's delay is split only when the device has that connection. Only the delay
    // fields follow their switches at first; the other controls stay enabled until the user
    // clicks a switch.
    if (!ui_->deviceInitiatedCheck->isHidden()) reconnect = SplitDelay(reconnectTimeout);
    if (!ui_->serverInitiatedCheck->isHidden()) retry = SplitDelay(retryTimeout);
    UpdateData(false);
    ReconnectRule();
    RetryRule();
    SetModified(false);
}

bool TelvoraPage::OnKillActive() {
    if (!UpdateData(true)) return false;
    reconnectTimeout = JoinDelay(reconnect);
    retryTimeout = JoinDelay(retry);
    return true;
}

void TelvoraPage::ReconnectRule() {
    EnableControls({ui_->reconnectHoursEdit, ui_->reconnectMinutesEdit, ui_->reconnectSecondsEdit},
                   reconnect.enabled != 0);
}

void TelvoraPage::DeviceInitiatedRule() {
    const bool on = deviceInitiated != 0;
    EnableControls({ui_->deviceServerAddressEdit, ui_->autoReconnectCheck}, on);
    if (on)
        ReconnectRule();
    else
        EnableControls(
            {ui_->reconnectHoursEdit, ui_->reconnectMinutesEdit, ui_->reconnectSecondsEdit}, false);
}

void TelvoraPage::RetryRule() {
    EnableControls({ui_->retryHoursEdit, ui_->retryMinutesEdit, ui_->retrySecondsEdit},
                   retry.enabled != 0);
}

void TelvoraPage::LkaRule() {
    const bool on = lkaUpdates != 0;
    EnableControls({ui_->lkaServerAddressEdit, ui_->retryCheck}, on);
    if (on)
        RetryRule();
    else
        EnableControls({ui_->retryHoursEdit, ui_->retryMinutesEdit, ui_->retrySecondsEdit}, false);
}

void TelvoraPage::ServerInitiatedRule() {
    const bool on = serverInitiated != 0;
    EnableControls({ui_->lkaCheck, ui_->lkaServerAddressEdit, ui_->retryCheck}, on);
    if (on)
        LkaRule();
    else
        EnableControls({ui_->retryHoursEdit, ui_->retryMinutesEdit, ui_->retrySecondsEdit}, false);
}

}  // namespace merivane
