#pragma once

#include <QPixmap>
#include <array>
#include <memory>
#include <string>

#include "app/DeviceIdentity.h"
#include "app/DeviceStatus.h"
#include "ui/PropertyPage.h"

class QLabel;

namespace merivane {
class SignalMonitorPanel;
}

namespace Ui {
class MainPage;
}

namespace merivane {

// The "Device Information" tab: status of the link, product and firmware, the
// modem and SIM identity, the signal bars, the link indicator and the mobile
// IP address. It shows what identification and the state document report and
// writes nothing back. Refresh identifies the device again; the signal monitor
// below shows the signal live.
class MainPage : public PropertyPage {
    Q_OBJECT
  public:
    // How one bar or the link indicator looks. Unknown: the device is gone, so what the
    // bars and the link last showed may no longer hold.
    enum class Indicator { Hidden, Lit, Unlit, Unknown };

    explicit MainPage(QWidget* parent = nullptr);
    ~MainPage() override;

    void OnInitDialog() override;
    bool OnSetActive() override;
    bool OnApply() override { return true; }

    // Identification's findings (the application's).
    DeviceIdentity& Identity();

    // Lights the bars and the link from the members.
    void UpdateSignalIndicators();
    // Reads the state again and shows it.
    void Redisplay();
    // Identifies the device again, then redisplays.
    void Refresh();

    Indicator BarState(int bar) const;  // bar 1 (left) to 5
    Indicator LinkState() const;

    // What the page shows of the state document.
    DeviceStatus status;

    SignalMonitorPanel* Monitor() const { return monitor_; }

  protected:
    void DoDataExchange(DataExchange& exchange) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void ShowMeter(const SignalMeter& meter);
    void SetImage(QLabel* indicator, bool lit);
    void SetUnknown(QLabel* indicator);
    static Indicator StateOf(const QLabel* indicator);

    std::unique_ptr<Ui::MainPage> ui_;
    std::array<QLabel*, 5> bars_{};
    QPixmap lit_;
    QPixmap unlit_;
    QPixmap unknown_;
    SignalMonitorPanel* monitor_;
};

}  // namespace merivane
