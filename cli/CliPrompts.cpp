#include "cli/CliPrompts.h"

#include <filesystem>

#include "support/TextRules.h"

namespace merivane::cli {
namespace {

// Device and operation texts end lines with "\r\n"; a terminal wants "\n".
std::string AsLines(const std::string& text) {
    std::string lines = RemoveAll(text, "\r");
    while (!lines.empty() && lines.back() == '\n') lines.pop_back();
    return lines;
}

}  // namespace

void CliPrompts::Say(const std::string& text) {
    const std::string lines = AsLines(text);
    messages_.push_back(lines);
    std::fprintf(out_, "merivane-cli: %s\n", lines.c_str());
    std::fflush(out_);
}

void CliPrompts::Inform(const std::string& text, const std::string&, Icon) { Say(text); }

Prompts::Answer CliPrompts::RetryCancel(const std::string& text, const std::string&, Icon,
                                        const std::string& details) {
    Say(details.empty() ? text : text + "\n" + details);
    if (retriesLeft_ <= 0 || (retryPointless_ && retryPointless_())) {
        Say("Giving up.");
        return Answer::Cancel;
    }
    --retriesLeft_;
    Say("Trying again (" + std::to_string(++retriesGiven_) + ")...");
    return Answer::Retry;
}

Prompts::Answer CliPrompts::YesNo(const std::string& text, const std::string&, Icon) {
    Say(text + (yes_ ? " - yes" : " - no"));
    return yes_ ? Answer::Yes : Answer::No;
}

bool CliPrompts::DialogAllowed() { return dialogsAnswered_++ <= retriesGiven_; }

std::string CliPrompts::OpenFile(const std::string&, const std::string&, const std::string&) {
    return DialogAllowed() ? openPath_ : std::string();
}

std::string CliPrompts::SaveFile(const std::string& suggestedName, const std::string&,
                                 const std::string&) {
    if (!DialogAllowed()) return {};
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path path = savePath_.empty() ? fs::path(suggestedName) : fs::path(savePath_);
    if (!savePath_.empty() && fs::is_directory(path, ec)) path /= suggestedName;
    if (fs::exists(fs::symlink_status(path, ec)) && !yes_ && !refusedExisting_) {
        refusedExisting_ = true;
        Say(path.string() + " exists; add --yes to replace it.");
        return {};
    }
    if (refusedExisting_) return {};
    chosenSavePath_ = path.string();
    return chosenSavePath_;
}

}  // namespace merivane::cli
