#pragma once

#include <QPixmap>
#include <array>
#include <memory>
#include <string>

#include "app/DeviceIdentity.h"
#include "ui/PropertyPage.h"

class QLabel;

namespace Ui {
class MainPage;
}

namespace merivane {

// The "Device Information" tab: status of the link, product and firmware, the
// modem and SIM identity, the signal bars, the link indicator and the mobile
// IP address. It shows what identification and the state document report and
// writes nothing back. Refresh identifies the device again.
class MainPage : public PropertyPage {
    Q_OBJECT
  public:
    // How one bar or the link indicator looks.
    enum class Indicator { Hidden, Lit, Unlit };

    explicit MainPage(QWidget* parent = nullptr);
    ~MainPage() override;

    void OnInitDialog() override;
    bool OnSetActive() override;
    bool OnApply() override { return true; }

    // Identification's findings: the application's, or the page's own without one.
    DeviceIdentity& Identity();

    // Lights the bars and the link from the members.
    void UpdateSignalIndicators();
    // Reads the state again and shows it.
    void Redisplay();
    // Identifies the device again, then redisplays.
    void Refresh();

    // The tracker's bar count for the modem's received signal strength.
    static int BarsForSignalQuality(int quality);

    Indicator BarState(int bar) const;  // bar 1 (left) to 5
    Indicator LinkState() const;

    // Members filled from the state document.
    std::string iccid;
    std::string threeStepQuality;
    std::string fourStepQuality;
    std::string fiveStepQuality;
    std::string ipAddressText;
    std::string productText;
    std::string firmwareVersion;

  protected:
    void DoDataExchange(DataExchange& exchange) override;

  private:
    void ShowBars(int count);
    void LightBars(int lit, int of);
    void SetImage(QLabel* indicator, bool lit);
    static Indicator StateOf(const QLabel* indicator);

    std::unique_ptr<Ui::MainPage> ui_;
    std::array<QLabel*, 5> bars_{};
    DeviceIdentity ownIdentity_;
    QPixmap lit_;
    QPixmap unlit_;
};

}  // namespace merivane
