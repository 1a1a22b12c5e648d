#include "pages/SerialPage.h"

#include "app/Product.h"
#include "app/Prompts.h"
#include "settings/SettingLimits.h"
#include "ui/DataExchange.h"
#include "ui_SerialPage.h"

namespace merivane {
namespace {

// The device model names the vehicle tracker.
bool NamesTracker(const std::string& model) {
    return model.find(kKorvane) != std::string::npos || model.find("korvane") != std::string::npos;
}

}  // namespace

SerialPage::SerialPage(QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::SerialPage>()) {
    ui_->setupUi(this);
    services_ = {{
        {&telnet, ui_->telnetCheck, ui_->telnetPortEdit, ui_->telnetKeepAliveCheck},
        {&rawTcp, ui_->rawTcpCheck, ui_->rawTcpPortEdit, ui_->rawTcpKeepAliveCheck},
        {&ssh, ui_->sshCheck, ui_->sshPortEdit, ui_->sshKeepAliveCheck},
        {&secureSocket, ui_->secureSocketCheck, ui_->secureSocketPortEdit,
         ui_->secureSocketKeepAliveCheck},
        {&udp, ui_->udpCheck, ui_->udpPortEdit, nullptr},
    }};

    SetBoundDocument(BoundDocument::Settings);
    Bindings() = {
        BindChoices("serial/baud", &baudRate, "baudBox", &BaudRateChoices()),
        BindChoices("serial/databits", &dataBits, "dataBitsBox", &DataBitsChoices()),
        BindChoices("serial/parity", &parity, "parityBox", &ParityChoices()),
        BindChoices("serial/stopbits", &stopBits, "stopBitsBox", &StopBitsChoices()),
        BindChoices("serial/flowcontrol", &flowControl, "flowControlBox", &FlowControlChoices()),
        BindOnOff("telnet_server/state", &telnet.enabled, "telnetCheck"),
        BindText("telnet_server/port", &telnet.port, "telnetPortEdit"),
        BindOnOff("telnet_server/keepalive", &telnet.keepAlive, "telnetKeepAliveCheck"),
        BindOnOff("tcp_server/state", &rawTcp.enabled, "rawTcpCheck"),
        BindText("tcp_server/port", &rawTcp.port, "rawTcpPortEdit"),
        BindOnOff("tcp_server/keepalive", &rawTcp.keepAlive, "rawTcpKeepAliveCheck"),
        BindOnOff("ssh_server/state", &ssh.enabled, "sshCheck"),
        BindText("ssh_server/port", &ssh.port, "sshPortEdit"),
        BindOnOff("ssh_server/keepalive", &ssh.keepAlive, "sshKeepAliveCheck"),
        BindOnOff("securesocket/state", &secureSocket.enabled, "secureSocketCheck"),
        BindText("securesocket/port", &secureSocket.port, "secureSocketPortEdit"),
        BindOnOff("securesocket/keepalive", &secureSocket.keepAlive, "secureSocketKeepAliveCheck"),
        BindOnOff("udp_server/state", &udp.enabled, "udpCheck"),
        BindText("udp_server/port", &udp.port, "udpPortEdit"),
    };

    // The line settings' box is drawn with the baud rate, the services' box and their "TCP
    // Serial" heading with Telnet. The "UDP Serial" heading is never shown.
    FrameWith(ui_->basicGroup, ui_->baudBox);
    FrameWith(ui_->networkGroup, ui_->telnetCheck);
    ShowWith(ui_->telnetCheck, {ui_->tcpSerialLabel});

    AcceptDigitsOnly(
        {ui_->telnetPortEdit, ui_->rawTcpPortEdit, ui_->sshPortEdit, ui_->secureSocketPortEdit});
    MarkModifiedOnChange(
        {ui_->baudBox, ui_->dataBitsBox, ui_->parityBox, ui_->stopBitsBox, ui_->flowControlBox});
    for (const ServiceControls& controls : services_) {
        MarkModifiedOnChange({controls.port, controls.keepAlive});
        AddSwitch(controls.enabled, [controls] { ServiceRule(controls); });
    }
}

SerialPage::~SerialPage() = default;

void SerialPage::DoDataExchange(DataExchange& exchange) {
    exchange.ComboStringKeepingValue(ui_->baudBox, baudRate);
    exchange.ComboStringKeepingValue(ui_->dataBitsBox, dataBits);
    exchange.ComboStringKeepingValue(ui_->parityBox, parity);
    exchange.ComboStringKeepingValue(ui_->stopBitsBox, stopBits);
    exchange.ComboStringKeepingValue(ui_->flowControlBox, flowControl);
    exchange.Check(ui_->rawTcpCheck, rawTcp.enabled);
    exchange.Text(ui_->rawTcpPortEdit, rawTcp.port);
    exchange.Check(ui_->rawTcpKeepAliveCheck, rawTcp.keepAlive);
    exchange.Check(ui_->telnetCheck, telnet.enabled);
    exchange.Check(ui_->telnetKeepAliveCheck, telnet.keepAlive);
    exchange.Text(ui_->telnetPortEdit, telnet.port);
    exchange.Check(ui_->sshCheck, ssh.enabled);
    exchange.Check(ui_->sshKeepAliveCheck, ssh.keepAlive);
    exchange.Text(ui_->sshPortEdit, ssh.port);
    exchange.Check(ui_->secureSocketCheck, secureSocket.enabled);
    exchange.Check(ui_->secureSocketKeepAliveCheck, secureSocket.keepAlive);
    exchange.Text(ui_->secureSocketPortEdit, secureSocket.port);
    exchange.Check(ui_->udpCheck, udp.enabled);
    exchange.Text(ui_->udpPortEdit, udp.port);
}

void SerialPage::OnInitDialog() {
    PropertyPage::OnInitDialog();
    for (const ServiceControls& controls : services_) ServiceRule(controls);
}

bool SerialPage::OnApply() {
    if (NamesTracker(g_deviceModel)) {
        // Nothing is written; the page stays modified and the sheet neither applies nor closes.
        Context().prompts.Inform(kTrackerRefusal, kTrackerRefusalCaption, Prompts::Icon::None);
        return false;
    }
    return PropertyPage::OnApply();
}

void SerialPage::ServiceRule(const ServiceControls& controls) {
    EnableControls({controls.port, controls.keepAlive}, controls.service->enabled != 0);
}

}  // namespace merivane
