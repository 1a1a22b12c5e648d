#pragma once

#include <memory>

#include "ui/PropertyPage.h"

namespace Ui {
class SerialPage;
}

namespace merivane {

// The "Serial Port" tab: the serial port's line settings and the network services that reach it.
class SerialPage : public PropertyPage {
    Q_OBJECT
  public:
    explicit SerialPage(QWidget* parent = nullptr);
    ~SerialPage() override;

  private:
    std::unique_ptr<Ui::SerialPage> ui_;
};

}  // namespace merivane
