#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class ComSearch;
}

class QComboBox;

namespace merivane {

// "Select Product to configure": lets the user pick one of several ports on
// which a device was found. The names appear sorted, the first in sorted order
// is preselected, and the user may also type a name. OK copies the box's text
// into `choice`; closing the dialog any other way leaves `choice` empty.
class ComSearch : public QDialog {
    Q_OBJECT
  public:
    explicit ComSearch(QWidget* parent = nullptr);
    ~ComSearch() override;

    std::vector<std::string> candidates;  // in the order found
    std::string choice;

    int exec() override;
    void accept() override;

    QComboBox* ChoiceBox() const;

    // Runs the dialog without a parent over `names` and returns the choice: the
    // port discovery's chooser.
    static std::string Choose(const std::vector<std::string>& names);

  private:
    void InitDialog();

    std::unique_ptr<Ui::ComSearch> ui_;
};

}  // namespace merivane
