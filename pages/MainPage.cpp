#include "pages/MainPage.h"

#include <QGridLayout>
#include <QLineEdit>

#include "app/CKestrionApp.h"
#include "app/Product.h"
#include "pages/SignalMonitorPanel.h"
#include "settings/Bindings.h"
#include "ui/DataExchange.h"
#include "ui/GuiResources.h"
#include "ui/QtText.h"
#include "ui_MainPage.h"

namespace merivane {
namespace {

constexpr char kLitProperty[] = "lit";

// The status line: the link's state ("Connected" or "Disconnected"), and whether
// the device's settings could be read.
std::string StatusLine(CKestrionApp& app) {
    const std::string shown = app.StatusText();
    if (app.Documents().SettingsNode() != nullptr) return shown;
    return shown + " (settings could not be read)";
}

}  // namespace

MainPage::MainPage(QWidget* parent)
    : PropertyPage(parent),
      ui_(std::make_unique<Ui::MainPage>()),
      lit_(LitImage()),
      unlit_(UnlitImage()),
      unknown_(UnknownImage()) {
    ui_->setupUi(this);
    // Room for a whole model name or modem revision.
    for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->setMinimumWidth(220);
    bars_ = {ui_->signalBar1, ui_->signalBar2, ui_->signalBar3, ui_->signalBar4, ui_->signalBar5};
    for (QLabel* bar : bars_) SetImage(bar, false);
    SetImage(ui_->linkIndicator, false);

    SetBoundDocument(BoundDocument::State);
    Bindings() = DeviceStatusBindings(status);
    connect(ui_->refreshButton, &QPushButton::clicked, this, &MainPage::Refresh);

    // Below everything else, across the page.
    monitor_ = new SignalMonitorPanel(this);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(monitor_, grid->rowCount(), 0, 1, grid->columnCount());
    connect(monitor_, &SignalMonitorPanel::Sampled, this, &MainPage::Redisplay);
    connect(monitor_, &SignalMonitorPanel::LinkLost, this, &MainPage::Redisplay);
}

MainPage::~MainPage() = default;

DeviceIdentity& MainPage::Identity() { return Context().app.Identity(); }

void MainPage::DoDataExchange(DataExchange& exchange) {
    DeviceIdentity& identity = Identity();
    // Shown only: what the line adds never goes back into the status.
    std::string statusLine = StatusLine(Context().app);
    exchange.Text(ui_->modemTypeEdit, identity.modemMaker);
    exchange.Text(ui_->statusEdit, statusLine);
    // A by-id port name is longer than the field: the whole line on hovering.
    ui_->statusEdit->setToolTip(ToQt(statusLine));
    exchange.Text(ui_->imeiEdit, identity.serialNumber);
    exchange.Text(ui_->imsiEdit, identity.imsi);
    exchange.Text(ui_->modemRevisionEdit, identity.modemRevision);
    exchange.Text(ui_->iccidEdit, status.iccid);
    exchange.Text(ui_->firmwareEdit, status.firmware);
    exchange.Text(ui_->phoneEdit, identity.phoneNumber);
    exchange.Text(ui_->productEdit, status.model);
}

void MainPage::showEvent(QShowEvent* event) {
    PropertyPage::showEvent(event);
    monitor_->SetContext(Context().app, Context().prompts);
    monitor_->SetShown(true);
}

void MainPage::hideEvent(QHideEvent* event) {
    monitor_->SetShown(false);
    PropertyPage::hideEvent(event);
}

void MainPage::OnInitDialog() {
    InitDialogBase();
    ReadPageBindings();
    ui_->ipAddress->SetAddressText(status.ipAddress);
    g_deviceModel = status.model;
    for (QLabel* bar : bars_) bar->hide();
    UpdateData(false);
    SetModified(false);
}

bool MainPage::OnSetActive() {
    Redisplay();
    return BaseSetActive();
}

void MainPage::Redisplay() {
    ReadPageBindings();
    ui_->ipAddress->SetAddressText(status.ipAddress);
    UpdateSignalIndicators();
    UpdateData(false);
}

void MainPage::Refresh() {
    // The outcome is not looked at: the page shows whatever identification left.
    Context().app.IdentifyDevice(Context().executor);
    Redisplay();
}

void MainPage::UpdateSignalIndicators() {
    // A state that names no scale the meter knows leaves the bars as they are.
    const SignalMeter meter = SignalMeterFor(status, Identity().signalQuality);
    if (meter.scale > 0) ShowMeter(meter);
    SetImage(ui_->linkIndicator, LinkIndicatorLit(status.ipAddress));
    // With the device gone, the last signal and address it reported say nothing of now.
    if (Context().app.Link().State() != LinkState::Lost) return;
    for (QLabel* bar : bars_) SetUnknown(bar);
    SetUnknown(ui_->linkIndicator);
}

void MainPage::ShowMeter(const SignalMeter& meter) {
    for (int i = 0; i < 5; ++i) {
        bars_[i]->setVisible(i < meter.scale);
        if (i < meter.scale) SetImage(bars_[i], i < meter.lit);
    }
}

void MainPage::SetImage(QLabel* indicator, bool lit) {
    indicator->setPixmap(lit ? lit_ : unlit_);
    indicator->setProperty(kLitProperty, lit);
    indicator->setAccessibleDescription(lit ? "lit" : "unlit");
}

void MainPage::SetUnknown(QLabel* indicator) {
    indicator->setPixmap(unknown_);
    indicator->setProperty(kLitProperty, QVariant());
    indicator->setAccessibleDescription("unknown");
}

MainPage::Indicator MainPage::StateOf(const QLabel* indicator) {
    if (indicator->isHidden()) return Indicator::Hidden;
    if (!indicator->property(kLitProperty).isValid()) return Indicator::Unknown;
    return indicator->property(kLitProperty).toBool() ? Indicator::Lit : Indicator::Unlit;
}

MainPage::Indicator MainPage::BarState(int bar) const {
    return bar >= 1 && bar <= 5 ? StateOf(bars_[bar - 1]) : Indicator::Hidden;
}

MainPage::Indicator MainPage::LinkState() const { return StateOf(ui_->linkIndicator); }

}  // namespace merivane
