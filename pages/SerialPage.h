#pragma once

#include <array>
#include <memory>
#include <string>

#include "ui/PropertyPage.h"

class QAbstractButton;
class QLineEdit;

namespace Ui {
class SerialPage;
}

namespace merivane {

// The "Serial Port" tab: the serial port's line settings and the network services that reach it.
// Each service's switch enables its port field and keep-alive switch. The page refuses to apply
// for a vehicle tracker, whose serial settings the device does not support.
class SerialPage : public PropertyPage {
    Q_OBJECT
  public:
    static constexpr char kTrackerRefusal[] = "Serial Settings Not supported For Korvane";
    static constexpr char kTrackerRefusalCaption[] = "Error";

    explicit SerialPage(QWidget* parent = nullptr);
    ~SerialPage() override;

    void OnInitDialog() override;
    bool OnApply() override;

    // One network service: its switch, its port and, for the TCP services, its TCP keep-alive.
    struct Service {
        int enabled = 0;
        std::string port;
        int keepAlive = 0;
    };

    // Members bound to the settings document. The line settings travel as the texts of the
    // list entries.
    std::string baudRate;
    std::string dataBits;
    std::string parity;
    std::string stopBits;
    std::string flowControl;
    Service rawTcp;
    Service telnet;
    Service ssh;
    Service secureSocket;
    Service udp;  // no keep-alive

  protected:
    void DoDataExchange(DataExchange& exchange) override;

  private:
    // A service's controls; `keepAlive` is null for UDP.
    struct ServiceControls {
        Service* service;
        QAbstractButton* enabled;
        QLineEdit* port;
        QAbstractButton* keepAlive;
    };

    // Enables the service's port and keep-alive when it is switched on, disables them when off.
    static void ServiceRule(const ServiceControls& controls);

    std::unique_ptr<Ui::SerialPage> ui_;
    // Telnet, raw TCP, SSH, secure socket, UDP.
    std::array<ServiceControls, 5> services_;
};

}  // namespace merivane
