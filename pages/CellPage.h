#pragma once

#include <memory>
#include <string>

#include "ui/PropertyPage.h"

namespace Ui {
class CellPage;
}

namespace merivane {

// The "Mobile" tab: the mobile network settings: service plan, user name, password, SIM PIN and
// band. The device stores the band as a code; the page shows it as a text of the band list.
class CellPage : public PropertyPage {
    Q_OBJECT
  public:
    explicit CellPage(QWidget* parent = nullptr);
    ~CellPage() override;

    // Members bound to the settings document.
    std::string apn;
    std::string password;
    std::string simPin;
    std::string username;
    std::string bandText;
    const std::string bandChoices;

  protected:
    void DoDataExchange(DataExchange& exchange) override;

  private:
    std::unique_ptr<Ui::CellPage> ui_;
};

}  // namespace merivane
