#include "ui/DataExchange.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "app/CKestrionApp.h"
#include "app/Prompts.h"
#include "settings/SettingText.h"
#include "ui/QtText.h"

namespace merivane {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The first entry that begins with `prefix`, ignoring case; -1 when none does.
int FindByPrefix(const QComboBox& box, const QString& prefix) {
    for (int i = 0; i < box.count(); ++i)
        if (box.itemText(i).startsWith(prefix, Qt::CaseInsensitive)) return i;
    return -1;
}

// Marks the list entries that ComboStringKeepingValue added.
constexpr int kAddedEntryRole = Qt::UserRole + 1;

// The name a person knows the control by: its label, as the accessibility bus gives it,
// without the label's closing colon. Empty for a control without one.
QString FieldName(QWidget* control) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
    QString name = face != nullptr ? face->text(QAccessible::Name).trimmed() : QString();
    while (name.endsWith(':')) name.chop(1);
    return name.trimmed();
}

}  // namespace

DataExchange::DataExchange(bool saveAndValidate, Prompts* prompts)
    : save_(saveAndValidate), prompts_(prompts) {}

bool DataExchange::ParseInteger(const std::string& text, int& value) {
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at == text.size()) return false;
    const char* start = text.c_str() + at;
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(start, &end, 10);
    if (end == start || errno == ERANGE || number < INT_MIN || number > INT_MAX) return false;
    while (*end != '\0' && IsBlank(*end)) ++end;
    if (*end != '\0') return false;
    value = static_cast<int>(number);
    return true;
}

void DataExchange::Fail(QWidget* control, const std::string& message) {
    failed_ = true;
    failedControl_ = control;
    // The message names the field, so that a page with several alike tells which one is wrong.
    const QString field = FieldName(control);
    const std::string shown = field.isEmpty() ? message : FromQt(field) + ": " + message;
    if (prompts_) prompts_->Inform(shown, CKestrionApp::kDisplayName, Prompts::Icon::Warning);
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
}

void DataExchange::SaveText(QWidget* control, const QString& text, std::string& value) {
    const std::string saved = FromQt(text);
    if (!SettingTextProblem(saved, true).empty()) return Fail(control, kTextMessage);
    value = saved;
}

void DataExchange::Text(QLineEdit* edit, std::string& value) {
    if (Skip()) return;
    if (save_) return SaveText(edit, edit->text(), value);
    edit->setText(ToQt(value));
    // A text longer than the field shows its beginning.
    edit->setCursorPosition(0);
}

void DataExchange::Int(QLineEdit* edit, int& value) {
    if (Skip()) return;
    if (!save_) {
        edit->setText(QString::number(value));
        return;
    }
    int number = 0;
    if (!ParseInteger(FromQt(edit->text()), number)) {
        Fail(edit, kIntegerMessage);
        return;
    }
    value = number;
}

void DataExchange::Int(QLineEdit* edit, int& value, int min, int max) {
    Int(edit, value);
    if (Skip() || !save_) return;
    if (value < min || value > max) {
        const QString message = QString(kIntegerRangeMessage).arg(min).arg(max);
        Fail(edit, FromQt(message));
    }
}

void DataExchange::CheckInt(QLineEdit* edit, int min, int max) {
    if (!save_) return;
    int number = 0;
    Int(edit, number, min, max);
}

void DataExchange::Check(QAbstractButton* box, int& value) {
    if (Skip()) return;
    if (save_)
        value = box->isChecked() ? 1 : 0;
    else
        box->setChecked(value != 0);
}

void DataExchange::ComboString(QComboBox* box, std::string& value) {
    if (Skip()) return;
    if (save_) return SaveText(box, box->currentText(), value);
    const QString text = ToQt(value);
    // An empty value in an editable box stays empty rather than taking the first entry's text.
    const int found = (text.isEmpty() && box->isEditable()) ? -1 : FindByPrefix(*box, text);
    if (found >= 0)
        box->setCurrentIndex(found);
    else if (box->isEditable())
        box->setEditText(text);
}

void DataExchange::ComboStringKeepingValue(QComboBox* box, std::string& value) {
    if (Skip()) return;
    if (save_) return SaveText(box, box->currentText(), value);
    const QString text = ToQt(value);
    for (int i = box->count() - 1; i >= 0; --i)
        if (box->itemData(i, kAddedEntryRole).toBool() && box->itemText(i) != text)
            box->removeItem(i);
    int found = text.isEmpty() ? box->findText(text, Qt::MatchExactly) : FindByPrefix(*box, text);
    if (found < 0) {
        box->addItem(text);
        found = box->count() - 1;
        box->setItemData(found, true, kAddedEntryRole);
    }
    box->setCurrentIndex(found);
}

}  // namespace merivane
