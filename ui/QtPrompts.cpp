#include "ui/QtPrompts.h"

#include <QFileDialog>
#include <QMessageBox>

#include "ui/QtText.h"

namespace merivane {
namespace {

QMessageBox::Icon BoxIcon(Prompts::Icon icon) {
    switch (icon) {
        case Prompts::Icon::Information:
            return QMessageBox::Information;
        case Prompts::Icon::Warning:
            return QMessageBox::Warning;
        case Prompts::Icon::Error:
            return QMessageBox::Critical;
        case Prompts::Icon::Question:
            return QMessageBox::Question;
        case Prompts::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

int Ask(const std::string& text, const std::string& caption, Prompts::Icon icon,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton,
        const std::string& details = {}) {
    QMessageBox box(BoxIcon(icon), ToQt(caption), ToQt(text), buttons);
    // Messages carry device file names and local paths, which may hold "<" and "&":
    // they are shown as they are, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    if (!details.empty()) box.setDetailedText(ToQt(details));
    return box.exec();
}

// A pattern list as a file dialog reads it: "*.*" means every file here.
QString DialogPatterns(const QString& patterns) {
    QStringList parts = patterns.split(';', Qt::SkipEmptyParts);
    for (QString& part : parts) {
        part = part.trimmed();
        if (part == "*.*") part = "*";
    }
    return parts.join(' ');
}

QString DefaultSuffix(const std::string& extension) {
    QString suffix = ToQt(extension);
    while (suffix.startsWith('.')) suffix.remove(0, 1);
    return suffix;
}

std::string RunFileDialog(QWidget* owner, QFileDialog::AcceptMode mode, const std::string& start,
                          const std::string& extension, const std::string& filter) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    const QStringList filters = QtPrompts::NameFilters(filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(DefaultSuffix(extension));
    if (!start.empty()) dialog.selectFile(ToQt(start));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return FromQt(dialog.selectedFiles().first());
}

}  // namespace

QStringList QtPrompts::NameFilters(const std::string& filter) {
    const QStringList pieces = ToQt(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        const QString label = pieces[i].trimmed();
        const QString patterns = DialogPatterns(pieces[i + 1]);
        if (label.isEmpty() || patterns.isEmpty()) break;  // "||" ends the list
        // The dialog takes its patterns from the last parentheses of the name.
        const qsizetype open = label.lastIndexOf('(');
        const QString name = open > 0 ? label.left(open).trimmed() : label;
        filters << QString("%1 (%2)").arg(name, patterns);
    }
    return filters;
}

void QtPrompts::Inform(const std::string& text, const std::string& caption, Icon icon) {
    Ask(text, caption, icon, QMessageBox::Ok, QMessageBox::Ok);
}

Prompts::Answer QtPrompts::RetryCancel(const std::string& text, const std::string& caption,
                                       Icon icon, const std::string& details) {
    const int pressed = Ask(text, caption, icon, QMessageBox::Retry | QMessageBox::Cancel,
                            QMessageBox::Retry, details);
    return pressed == QMessageBox::Retry ? Answer::Retry : Answer::Cancel;
}

Prompts::Answer QtPrompts::YesNo(const std::string& text, const std::string& caption, Icon icon) {
    const int pressed =
        Ask(text, caption, icon, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

std::string QtPrompts::OpenFile(const std::string& initialPath, const std::string& defaultExtension,
                                const std::string& filter) {
    return RunFileDialog(owner_, QFileDialog::AcceptOpen, initialPath, defaultExtension, filter);
}

std::string QtPrompts::SaveFile(const std::string& suggestedName,
                                const std::string& defaultExtension, const std::string& filter) {
    return RunFileDialog(owner_, QFileDialog::AcceptSave, suggestedName, defaultExtension, filter);
}

}  // namespace merivane
