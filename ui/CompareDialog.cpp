#include "ui/CompareDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "settings/SecretSettings.h"
#include "ui/QtText.h"

namespace merivane {
namespace {

QTableWidgetItem* Cell(const std::string& text) {
    auto* item = new QTableWidgetItem(ToQt(text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

CompareDialog::CompareDialog(const std::string& file,
                             const std::vector<SettingDifference>& differences, PathsHandler send,
                             PathsHandler save, QWidget* parent)
    : QDialog(parent), send_(std::move(send)), save_(std::move(save)) {
    setWindowTitle(kCaption);
    auto* layout = new QVBoxLayout(this);
    auto* heading =
        new QLabel(differences.empty() ? QString(kNoDifferences)
                                       : ToQt("Settings whose values differ from " + file +
                                              ". Tick the ones to send to the device."),
                   this);
    heading->setWordWrap(true);
    layout->addWidget(heading);

    table_ = new QTableWidget(static_cast<int>(differences.size()), 3, this);
    table_->setObjectName("differencesTable");
    table_->setAccessibleName("Differences");
    table_->setHorizontalHeaderLabels({"Setting", "Device", "File"});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (size_t row = 0; row < differences.size(); ++row) {
        const SettingDifference& difference = differences[row];
        paths_.push_back(difference.path);
        QTableWidgetItem* setting = Cell(difference.path);
        setting->setFlags(setting->flags() | Qt::ItemIsUserCheckable);
        setting->setCheckState(Qt::Unchecked);
        const int r = static_cast<int>(row);
        table_->setItem(r, 0, setting);
        table_->setItem(r, 1, Cell(ShownSettingValue(difference.path, difference.device)));
        table_->setItem(r, 2, Cell(ShownSettingValue(difference.path, difference.file)));
    }
    table_->resizeColumnsToContents();
    layout->addWidget(table_);

    auto* buttons = new QDialogButtonBox(this);
    sendButton_ = buttons->addButton(kSendSelected, QDialogButtonBox::AcceptRole);
    saveButton_ =
        buttons->addButton(QString::fromUtf8(kSaveTemplate), QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    sendButton_->setObjectName("sendSelectedButton");
    saveButton_->setObjectName("saveTemplateButton");
    for (QPushButton* button : {sendButton_, saveButton_, close})
        button->setAccessibleName(button->text().remove('&'));
    layout->addWidget(buttons);

    // The buttons act on the ticked rows only, so they wait for a tick.
    connect(table_, &QTableWidget::itemChanged, this, [this] { UpdateButtons(); });
    connect(sendButton_, &QPushButton::clicked, this, [this] {
        const std::vector<std::string> paths = SelectedPaths();
        accept();
        send_(paths);
    });
    connect(saveButton_, &QPushButton::clicked, this, [this] { save_(SelectedPaths()); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    UpdateButtons();
    resize(640, 360);
}

std::vector<std::string> CompareDialog::SelectedPaths() const {
    std::vector<std::string> paths;
    for (int row = 0; row < table_->rowCount(); ++row)
        if (table_->item(row, 0)->checkState() == Qt::Checked)
            paths.push_back(paths_[static_cast<size_t>(row)]);
    return paths;
}

void CompareDialog::UpdateButtons() {
    const bool any = !SelectedPaths().empty();
    sendButton_->setEnabled(any);
    saveButton_->setEnabled(any);
}

}  // namespace merivane
