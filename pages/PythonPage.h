#pragma once

#include <memory>

#include "ui/PropertyPage.h"

namespace Ui {
class PythonPage;
}

namespace merivane {

// The "Python" tab: the Python files on the device and the Python auto-start command.
class PythonPage : public PropertyPage {
    Q_OBJECT
  public:
    explicit PythonPage(QWidget* parent = nullptr);
    ~PythonPage() override;

  private:
    std::unique_ptr<Ui::PythonPage> ui_;
};

}  // namespace merivane
