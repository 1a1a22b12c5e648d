#include "pages/TelvoraPage.h"

#include "ui_TelvoraPage.h"

namespace merivane {

TelvoraPage::TelvoraPage(QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::TelvoraPage>()) {
    ui_->setupUi(this);
}

TelvoraPage::~TelvoraPage() = default;

}  // namespace merivane
