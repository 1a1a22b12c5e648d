#pragma once

#include <memory>

#include "ui/PropertyPage.h"

namespace Ui {
class UtilsPage;
}

namespace merivane {

// The "Utilities" tab: configuration backup and restore, and rebooting the device.
class UtilsPage : public PropertyPage {
    Q_OBJECT
  public:
    explicit UtilsPage(QWidget* parent = nullptr);
    ~UtilsPage() override;

  private:
    std::unique_ptr<Ui::UtilsPage> ui_;
};

}  // namespace merivane
