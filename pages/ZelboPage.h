#pragma once

#include <memory>

#include "ui/PropertyPage.h"

namespace Ui {
class ZelboPage;
}

namespace merivane {

// The "Zelbo" tab: the mesh radio module: its identity, network settings and firmware.
class ZelboPage : public PropertyPage {
    Q_OBJECT
  public:
    explicit ZelboPage(QWidget* parent = nullptr);
    ~ZelboPage() override;

  private:
    std::unique_ptr<Ui::ZelboPage> ui_;
};

}  // namespace merivane
