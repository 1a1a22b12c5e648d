#include "pages/UtilsPage.h"

#include "ui_UtilsPage.h"

namespace merivane {

UtilsPage::UtilsPage(QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::UtilsPage>()) {
    ui_->setupUi(this);
}

UtilsPage::~UtilsPage() = default;

}  // namespace merivane
