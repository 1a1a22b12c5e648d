#pragma once

#include <memory>
#include <string>

#include "ui/PropertyPage.h"

namespace Ui {
class ObdPage;
}

namespace merivane {

// The "OBD" tab: the vehicle tracker's OBD-II values: odometer, fuel, displacement and idle time,
// shown and stored as the device's texts.
class ObdPage : public PropertyPage {
    Q_OBJECT
  public:
    explicit ObdPage(QWidget* parent = nullptr);
    ~ObdPage() override;

    // Members bound to the settings document.
    std::string odometer;
    std::string fuel;
    std::string displacement;
    std::string idleTime;

  protected:
    void DoDataExchange(DataExchange& exchange) override;

  private:
    std::unique_ptr<Ui::ObdPage> ui_;
};

}  // namespace merivane
