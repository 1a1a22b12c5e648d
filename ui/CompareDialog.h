#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "settings/SettingsComparison.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace merivane {

// The settings that differ between the device and a file, one row each with a tick box
// and the two values as they may be shown (secrets masked). "Send selected" hands the
// ticked paths to `send` and closes; "Save as template..." hands them to `save` and stays.
class CompareDialog : public QDialog {
    Q_OBJECT
  public:
    using PathsHandler = std::function<void(const std::vector<std::string>&)>;

    static constexpr char kCaption[] = "Compare with file";
    static constexpr char kSendSelected[] = "Send selected";
    static constexpr char kSaveTemplate[] = "Save as template\u2026";
    static constexpr char kNoDifferences[] = "The device has every value the file holds.";

    CompareDialog(const std::string& file, const std::vector<SettingDifference>& differences,
                  PathsHandler send, PathsHandler save, QWidget* parent = nullptr);

    // The paths of the ticked rows, in the order shown.
    std::vector<std::string> SelectedPaths() const;

  private:
    void UpdateButtons();

    std::vector<std::string> paths_;
    QTableWidget* table_;
    QPushButton* sendButton_;
    QPushButton* saveButton_;
    PathsHandler send_;
    PathsHandler save_;
};

}  // namespace merivane
