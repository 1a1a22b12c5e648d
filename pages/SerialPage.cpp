#include "pages/SerialPage.h"

#include "ui_SerialPage.h"

namespace merivane {

SerialPage::SerialPage(QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::SerialPage>()) {
    ui_->setupUi(this);
}

SerialPage::~SerialPage() = default;

}  // namespace merivane
