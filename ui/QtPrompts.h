#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "app/Prompts.h"

namespace merivane {

// The user prompts as desktop message boxes and file dialogs. Messages have
// no owner window, as the tool's messages are specified; file dialogs open
// over `owner` when one is set.
class QtPrompts : public Prompts {
  public:
    explicit QtPrompts(QWidget* owner = nullptr) : owner_(owner) {}
    void SetOwner(QWidget* owner) { owner_ = owner; }

    void Inform(const std::string& text, const std::string& caption, Icon icon) override;
    Answer RetryCancel(const std::string& text, const std::string& caption, Icon icon,
                       const std::string& details = {}) override;
    Answer YesNo(const std::string& text, const std::string& caption, Icon icon) override;
    std::string OpenFile(const std::string& initialPath, const std::string& defaultExtension,
                         const std::string& filter) override;
    std::string SaveFile(const std::string& suggestedName, const std::string& defaultExtension,
                         const std::string& filter) override;

    // "Python Files (*.py)|*.py|All Files (*.*)|*.*||" as a file dialog's name
    // filters: "Python Files (*.py)" and "All Files (*)".
    static QStringList NameFilters(const std::string& filter);

  private:
    QPointer<QWidget> owner_;
};

}  // namespace merivane
