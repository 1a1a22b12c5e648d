#pragma once

#include <string>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QString;
class QWidget;

namespace merivane {

class Prompts;

// One pass of data exchange between a page's members and its controls: towards
// the controls (load) or back into the members with validation (save). The
// first value that fails validation shows its message, puts the focus on its
// control and ends the pass: later calls of the same pass change nothing. A
// message names the field by the control's label when it has one.
class DataExchange {
  public:
    // The messages a failed integer shows.
    static constexpr char kIntegerMessage[] = "Please enter an integer.";
    // "%1" and "%2" stand for the bounds.
    static constexpr char kIntegerRangeMessage[] = "Please enter an integer between %1 and %2.";
    // The message of a text that a setting cannot carry (control characters).
    static constexpr char kTextMessage[] = "Please enter text without control characters.";

    // `prompts` shows the validation messages (may be null: no message).
    DataExchange(bool saveAndValidate, Prompts* prompts);

    bool SaveAndValidate() const { return save_; }
    bool Failed() const { return failed_; }
    QWidget* FailedControl() const { return failedControl_; }

    void Text(QLineEdit* edit, std::string& value);
    // A whole decimal number, optionally held to [min, max].
    void Int(QLineEdit* edit, int& value);
    void Int(QLineEdit* edit, int& value, int min, int max);
    // Saving only: the edit holds a whole decimal number from `min` to `max` (a text member
    // that carries a number, such as a port).
    void CheckInt(QLineEdit* edit, int min, int max);
    // 1 when checked, 0 when not.
    void Check(QAbstractButton* box, int& value);
    // Loading selects the first entry that begins with the value (ignoring case);
    // an editable box without such an entry shows the value itself. Saving takes
    // the box's text.
    void ComboString(QComboBox* box, std::string& value);
    // ComboString for a list that must not lose the device's value: loading a
    // value that no entry begins with, or an empty one, adds it as an entry of
    // its own and selects it, so that saving gives it back unchanged. Entries
    // added for earlier values are dropped when another value is loaded.
    void ComboStringKeepingValue(QComboBox* box, std::string& value);

    // The rule the integer fields read by: blanks, an optional sign and figures,
    // blanks; anything else, or a number outside int, is no integer.
    static bool ParseInteger(const std::string& text, int& value);

  private:
    bool Skip() const { return failed_; }
    // Saves `text` into `value` unless a setting cannot carry it (then fails on `control`).
    void SaveText(QWidget* control, const QString& text, std::string& value);
    void Fail(QWidget* control, const std::string& message);

    bool save_;
    Prompts* prompts_;
    bool failed_ = false;
    QWidget* failedControl_ = nullptr;
};

}  // namespace merivane
