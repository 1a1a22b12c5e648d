#include "pages/CellPage.h"

#include "ui_CellPage.h"

namespace merivane {

CellPage::CellPage(QWidget* parent) : PropertyPage(parent), ui_(std::make_unique<Ui::CellPage>()) {
    ui_->setupUi(this);
}

CellPage::~CellPage() = default;

}  // namespace merivane
