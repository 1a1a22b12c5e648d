#include "pages/FirmwarePage.h"

#include "ui_FirmwarePage.h"

namespace merivane {

FirmwarePage::FirmwarePage(QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::FirmwarePage>()) {
    ui_->setupUi(this);
}

FirmwarePage::~FirmwarePage() = default;

}  // namespace merivane
