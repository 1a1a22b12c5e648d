#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/Prompts.h"

namespace merivane::cli {

// The tool's questions answered without a user: every message goes to standard error
// (and is kept for the JSON report), Retry/Cancel answers Retry as many times in the run
// as --retries allows and then Cancel, Yes/No answers from --yes, and the file dialogs
// answer the path the command line gave.
class CliPrompts : public Prompts {
  public:
    CliPrompts(int retries, bool yes, FILE* out = stderr)
        : retriesLeft_(retries), yes_(yes), out_(out) {}

    // The path the open dialog answers.
    void SetOpenPath(std::string path) { openPath_ = std::move(path); }
    // The path the save dialog answers: a file, a folder (the suggested name goes in it)
    // or empty (the suggested name in the current folder). An existing file is replaced
    // only with --yes.
    void SetSavePath(std::string path) { savePath_ = std::move(path); }

    void Inform(const std::string& text, const std::string& caption, Icon icon) override;
    Answer RetryCancel(const std::string& text, const std::string& caption, Icon icon,
                       const std::string& details = {}) override;
    Answer YesNo(const std::string& text, const std::string& caption, Icon icon) override;
    std::string OpenFile(const std::string& initialPath, const std::string& defaultExtension,
                         const std::string& filter) override;
    std::string SaveFile(const std::string& suggestedName, const std::string& defaultExtension,
                         const std::string& filter) override;

    // Says something of the command line's own (also kept for the report).
    void Say(const std::string& text);
    // Asked before every retry: true when trying again is pointless (the link to
    // the device is lost, the user pressed Ctrl+C), and Cancel is answered at once.
    void SetRetryPointless(std::function<bool()> pointless) {
        retryPointless_ = std::move(pointless);
    }

    // Everything said, in order, with "\r\n" read as a line end.
    const std::vector<std::string>& Messages() const { return messages_; }
    // True after the save dialog refused to replace an existing file.
    bool RefusedExistingFile() const { return refusedExisting_; }
    // The path the save dialog last answered.
    const std::string& ChosenSavePath() const { return chosenSavePath_; }

  private:
    // The dialogs are answered as often as a first try and the retries allow, so an
    // operation that asks again after a failure cannot go on for ever.
    bool DialogAllowed();

    int retriesLeft_;
    bool yes_;
    FILE* out_;
    int dialogsAnswered_ = 0;
    int retriesGiven_ = 0;
    std::string openPath_;
    std::string savePath_;
    std::string chosenSavePath_;
    bool refusedExisting_ = false;
    std::vector<std::string> messages_;
    std::function<bool()> retryPointless_;
};

}  // namespace merivane::cli
