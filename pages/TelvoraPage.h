#pragma once

#include <memory>
#include <string>

#include "settings/DelayFields.h"
#include "ui/PropertyPage.h"

namespace Ui {
class TelvoraPage;
}

namespace merivane {

// The "Remote Management" tab: the device-initiated and server-initiated remote management
// connections. The device stores the reconnect and LKA retry delays as seconds (-32768 for
// never); the page shows each as a switch with hours, minutes and seconds, split when the page
// is first shown and joined whenever it is left.
class TelvoraPage : public PropertyPage {
    Q_OBJECT
  public:
    explicit TelvoraPage(QWidget* parent = nullptr);
    ~TelvoraPage() override;

    void OnInitDialog() override;
    bool OnKillActive() override;

    // Members bound to the settings document or shown by the controls.
    int deviceInitiated = 0;
    std::string serverAddress;  // without the scheme
    DelayFields reconnect;      // the auto-reconnect switch and its delay
    int serverInitiated = 0;
    std::string lkaServerAddress;
    int lkaUpdates = 0;
    DelayFields retry;  // the LKA retry switch and its delay
    int reconnectTimeout = 0;
    int retryTimeout = 0;

  protected:
    void DoDataExchange(DataExchange& exchange) override;

  private:
    // The switch rules: what each switch enables and disables.
    void ReconnectRule();
    void DeviceInitiatedRule();
    void RetryRule();
    void LkaRule();
    void ServerInitiatedRule();

    std::unique_ptr<Ui::TelvoraPage> ui_;
};

}  // namespace merivane
