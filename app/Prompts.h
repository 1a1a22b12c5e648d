#pragma once

#include <string>

namespace merivane {

// The questions and messages the tool puts to its user. The desktop program
// shows message boxes and file dialogs; tests and the command line answer
// from a script. Texts and captions are passed exactly as they are shown.
class Prompts {
  public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Answer { Ok, Cancel, Retry, Yes, No };

    virtual ~Prompts() = default;

    // A message with an OK button.
    virtual void Inform(const std::string& text, const std::string& caption, Icon icon) = 0;
    // A message with Retry and Cancel; answers Retry or Cancel.
    virtual Answer RetryCancel(const std::string& text, const std::string& caption, Icon icon,
                               const std::string& details = {}) = 0;
    // A question with Yes and No; answers Yes or No.
    virtual Answer YesNo(const std::string& text, const std::string& caption, Icon icon) = 0;
    // A file to open; empty when the user cancelled. `filter` is a list of
    // "label|pattern" pairs separated by "||"-style entries, as the page gives it.
    virtual std::string OpenFile(const std::string& initialPath,
                                 const std::string& defaultExtension,
                                 const std::string& filter) = 0;
    // A file to save to; empty when the user cancelled. The dialog asks before
    // it lets the user pick an existing file.
    virtual std::string SaveFile(const std::string& suggestedName,
                                 const std::string& defaultExtension,
                                 const std::string& filter) = 0;
};

}  // namespace merivane
