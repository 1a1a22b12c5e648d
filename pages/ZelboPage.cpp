#include "pages/ZelboPage.h"

#include "ui_ZelboPage.h"

namespace merivane {

ZelboPage::ZelboPage(QWidget* parent)
    : PropertyPage(parent), ui_(std::make_unique<Ui::ZelboPage>()) {
    ui_->setupUi(this);
}

ZelboPage::~ZelboPage() = default;

}  // namespace merivane
