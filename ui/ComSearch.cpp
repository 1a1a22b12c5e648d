#include "ui/ComSearch.h"

#include <QPushButton>

#include "ui/QtText.h"
#include "ui_ComSearch.h"

namespace merivane {
namespace {

// The place that keeps the box sorted: case-insensitive, as drop-down lists
// sort, with the exact text deciding between names that differ only in case.
int SortedPosition(const QComboBox& box, const QString& text) {
    int position = 0;
    while (position < box.count()) {
        const QString existing = box.itemText(position);
        const int order = existing.compare(text, Qt::CaseInsensitive);
        if (order > 0 || (order == 0 && existing.compare(text) > 0)) break;
        ++position;
    }
    return position;
}

}  // namespace

ComSearch::ComSearch(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::ComSearch>()) {
    ui_->setupUi(this);
    connect(ui_->okButton, &QPushButton::clicked, this, &ComSearch::accept);
}

ComSearch::~ComSearch() = default;

QComboBox* ComSearch::ChoiceBox() const { return ui_->choiceBox; }

int ComSearch::exec() {
    InitDialog();
    return QDialog::exec();
}

void ComSearch::InitDialog() {
    ui_->prompt->setText(
        "Found multiple supported products.  Please select the one you would like to configure");
    ui_->choiceBox->clear();
    for (const std::string& name : candidates) {
        const QString text = ToQt(name);
        ui_->choiceBox->insertItem(SortedPosition(*ui_->choiceBox, text), text);
    }
    ui_->choiceBox->setCurrentIndex(ui_->choiceBox->count() > 0 ? 0 : -1);
}

void ComSearch::accept() {
    choice = FromQt(ui_->choiceBox->currentText());
    QDialog::accept();
}

std::string ComSearch::Choose(const std::vector<std::string>& names) {
    ComSearch dialog;
    dialog.candidates = names;
    dialog.exec();
    return dialog.choice;
}

}  // namespace merivane
