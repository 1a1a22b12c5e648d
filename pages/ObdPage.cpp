#include "pages/ObdPage.h"

#include "ui_ObdPage.h"

namespace merivane {

ObdPage::ObdPage(QWidget* parent) : PropertyPage(parent), ui_(std::make_unique<Ui::ObdPage>()) {
    ui_->setupUi(this);
}

ObdPage::~ObdPage() = default;

}  // namespace merivane
