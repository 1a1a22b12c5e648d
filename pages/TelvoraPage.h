#pragma once

#include <memory>

#include "ui/PropertyPage.h"

namespace Ui {
class TelvoraPage;
}

namespace merivane {

// The "Remote Management" tab: the device-initiated and server-initiated remote management
// connections.
class TelvoraPage : public PropertyPage {
    Q_OBJECT
  public:
    explicit TelvoraPage(QWidget* parent = nullptr);
    ~TelvoraPage() override;

  private:
    std::unique_ptr<Ui::TelvoraPage> ui_;
};

}  // namespace merivane
