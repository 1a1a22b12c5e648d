#pragma once

#include <memory>

#include "ui/PropertyPage.h"

namespace Ui {
class FirmwarePage;
}

namespace merivane {

// The "Firmware Update" tab: updating the device firmware from an image file.
class FirmwarePage : public PropertyPage {
    Q_OBJECT
  public:
    explicit FirmwarePage(QWidget* parent = nullptr);
    ~FirmwarePage() override;

  private:
    std::unique_ptr<Ui::FirmwarePage> ui_;
};

}  // namespace merivane
