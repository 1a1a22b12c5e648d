#pragma once

#include <memory>

#include "ui/PropertyPage.h"

namespace Ui {
class CellPage;
}

namespace merivane {

// The "Mobile" tab: the mobile network settings: service plan, user name, password, SIM PIN and
// band.
class CellPage : public PropertyPage {
    Q_OBJECT
  public:
    explicit CellPage(QWidget* parent = nullptr);
    ~CellPage() override;

  private:
    std::unique_ptr<Ui::CellPage> ui_;
};

}  // namespace merivane
