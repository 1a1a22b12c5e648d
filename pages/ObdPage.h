#pragma once

#include <memory>

#include "ui/PropertyPage.h"

namespace Ui {
class ObdPage;
}

namespace merivane {

// The "OBD" tab: the vehicle tracker's OBD-II values: odometer, fuel, displacement and idle time.
class ObdPage : public PropertyPage {
    Q_OBJECT
  public:
    explicit ObdPage(QWidget* parent = nullptr);
    ~ObdPage() override;

  private:
    std::unique_ptr<Ui::ObdPage> ui_;
};

}  // namespace merivane
