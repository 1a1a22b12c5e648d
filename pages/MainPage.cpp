#include "pages/MainPage.h"

#include <QLineEdit>

#include "app/CKestrionApp.h"
#include "app/Product.h"
#include "settings/Bindings.h"
#include "ui/DataExchange.h"
#include "ui/GuiResources.h"
#include "ui_MainPage.h"

namespace merivane {
namespace {

constexpr char kLitProperty[] = "lit";

}  // namespace

MainPage::MainPage(QWidget* parent)
    : PropertyPage(parent),
      ui_(std::make_unique<Ui::MainPage>()),
      lit_(LitImage()),
      unlit_(UnlitImage()) {
    ui_->setupUi(this);
    // Room for a whole model name or modem revision.
    for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->setMinimumWidth(220);
    bars_ = {ui_->signalBar1, ui_->signalBar2, ui_->signalBar3, ui_->signalBar4, ui_->signalBar5};
    for (QLabel* bar : bars_) SetImage(bar, false);
    SetImage(ui_->linkIndicator, false);

    SetBoundDocument(BoundDocument::State);
    Bindings() = {
        BindText("mobile_stats/iccid", &iccid, ""),
        BindText("mobile_stats/quality&max=3", &threeStepQuality, ""),
        BindText("mobile_stats/quality&max=4", &fourStepQuality, ""),
        BindText("mobile_stats/quality&max=5", &fiveStepQuality, ""),
        BindText("ppp_stats/ip_address", &ipAddressText, ""),
        BindText("device_info/model", &productText, ""),
        BindText("device_info/firmware", &firmwareVersion, ""),
    };
    connect(ui_->refreshButton, &QPushButton::clicked, this, &MainPage::Refresh);
}

MainPage::~MainPage() = default;

DeviceIdentity& MainPage::Identity() {
    return Context().app ? Context().app->Identity() : ownIdentity_;
}

void MainPage::DoDataExchange(DataExchange& exchange) {
    DeviceIdentity& identity = Identity();
    exchange.Text(ui_->modemTypeEdit, identity.modemMaker);
    exchange.Text(ui_->statusEdit, identity.status);
    exchange.Text(ui_->imeiEdit, identity.serialNumber);
    exchange.Text(ui_->imsiEdit, identity.imsi);
    exchange.Text(ui_->modemRevisionEdit, identity.modemRevision);
    exchange.Text(ui_->iccidEdit, iccid);
    exchange.Text(ui_->firmwareEdit, firmwareVersion);
    exchange.Text(ui_->phoneEdit, identity.phoneNumber);
    exchange.Text(ui_->productEdit, productText);
}

void MainPage::OnInitDialog() {
    InitDialogBase();
    ReadPageBindings();
    ui_->ipAddress->SetAddressText(ipAddressText);
    g_deviceModel = productText;
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
    ui_->ipAddress->SetAddressText(ipAddressText);
    UpdateSignalIndicators();
    UpdateData(false);
}

void MainPage::Refresh() {
    // The outcome is not looked at: the page shows whatever identification left.
    if (Context().app != nullptr && Context().executor != nullptr)
        Context().app->IdentifyDevice(*Context().executor);
    Redisplay();
}

int MainPage::BarsForSignalQuality(int quality) {
    if (quality >= 3 && quality <= 5) return 1;
    if (quality >= 6 && quality <= 10) return 2;
    if (quality >= 11 && quality <= 13) return 3;
    if (quality >= 14 && quality <= 17) return 4;
    if (quality >= 18 && quality <= 30) return 5;
    // Below 3, above 30, and 99 ("not known").
    return 0;
}

void MainPage::UpdateSignalIndicators() {
    if (productText.find(kKorvane) != std::string::npos) {
        fiveStepQuality = std::to_string(BarsForSignalQuality(Identity().signalQuality));
        ShowBars(5);
        LightBars(LeadingInteger(fiveStepQuality), 5);
    } else if (!threeStepQuality.empty()) {
        ShowBars(3);
        LightBars(LeadingInteger(threeStepQuality), 3);
    } else if (!fiveStepQuality.empty()) {
        ShowBars(5);
        LightBars(LeadingInteger(fiveStepQuality), 5);
    }
    SetImage(ui_->linkIndicator, ipAddressText.rfind("0.0.0.0", 0) != 0);
}

void MainPage::ShowBars(int count) {
    for (int i = 0; i < 5; ++i) bars_[i]->setVisible(i < count);
}

void MainPage::LightBars(int lit, int of) {
    // A count outside the scale lights nothing.
    if (lit < 0 || lit > of) lit = 0;
    for (int i = 0; i < of; ++i) SetImage(bars_[i], i < lit);
}

void MainPage::SetImage(QLabel* indicator, bool lit) {
    indicator->setPixmap(lit ? lit_ : unlit_);
    indicator->setProperty(kLitProperty, lit);
    indicator->setAccessibleDescription(lit ? "lit" : "unlit");
}

MainPage::Indicator MainPage::StateOf(const QLabel* indicator) {
    if (indicator->isHidden()) return Indicator::Hidden;
    return indicator->property(kLitProperty).toBool() ? Indicator::Lit : Indicator::Unlit;
}

MainPage::Indicator MainPage::BarState(int bar) const {
    return bar >= 1 && bar <= 5 ? StateOf(bars_[bar - 1]) : Indicator::Hidden;
}

MainPage::Indicator MainPage::LinkState() const { return StateOf(ui_->linkIndicator); }

}  // namespace merivane
