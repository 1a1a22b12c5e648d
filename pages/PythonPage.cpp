#include "pages/PythonPage.h"

#include "ui_PythonPage.h"

namespace merivane {

PythonPage::PythonPage(QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::PythonPage>()) {
    ui_->setupUi(this);
}

PythonPage::~PythonPage() = default;

}  // namespace merivane
