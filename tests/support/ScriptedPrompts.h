#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/Prompts.h"

namespace merivane::test {

// Answers the tool's questions from a script and remembers everything it was
// shown. Answers are taken in order; when the script runs out, Retry/Cancel
// answers Cancel, Yes/No answers No and file dialogs are cancelled.
class ScriptedPrompts : public Prompts {
  public:
    enum class Kind { Inform, RetryCancel, YesNo, OpenFile, SaveFile };

    struct Shown {
        Kind kind;
        std::string text;     // message text, or the file dialog's start path
        std::string caption;  // caption, or the file dialog's filter
        Icon icon = Icon::None;
        std::string details;  // Retry/Cancel details, or the default extension
    };

    void QueueAnswer(Answer answer) { answers_.push_back(answer); }
    void QueueFile(std::string path) { files_.push_back(std::move(path)); }

    const std::vector<Shown>& ShownPrompts() const { return shown_; }
    void ClearShown() { shown_.clear(); }
    // The texts shown, in order.
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Shown& shown : shown_) texts.push_back(shown.text);
        return texts;
    }

    void Inform(const std::string& text, const std::string& caption, Icon icon) override {
        shown_.push_back({Kind::Inform, text, caption, icon, {}});
    }
    Answer RetryCancel(const std::string& text, const std::string& caption, Icon icon,
                       const std::string& details = {}) override {
        shown_.push_back({Kind::RetryCancel, text, caption, icon, details});
        return Next(Answer::Cancel);
    }
    Answer YesNo(const std::string& text, const std::string& caption, Icon icon) override {
        shown_.push_back({Kind::YesNo, text, caption, icon, {}});
        return Next(Answer::No);
    }
    std::string OpenFile(const std::string& initialPath, const std::string& defaultExtension,
                         const std::string& filter) override {
        shown_.push_back({Kind::OpenFile, initialPath, filter, Icon::None, defaultExtension});
        return NextFile();
    }
    std::string SaveFile(const std::string& suggestedName, const std::string& defaultExtension,
                         const std::string& filter) override {
        shown_.push_back({Kind::SaveFile, suggestedName, filter, Icon::None, defaultExtension});
        return NextFile();
    }

  private:
    Answer Next(Answer fallback) {
        if (answers_.empty()) return fallback;
        const Answer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    std::string NextFile() {
        if (files_.empty()) return {};
        std::string path = std::move(files_.front());
        files_.pop_front();
        return path;
    }

    std::deque<Answer> answers_;
    std::deque<std::string> files_;
    std::vector<Shown> shown_;
};

}  // namespace merivane::test
