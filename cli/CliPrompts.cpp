#include "cli/CliPrompts.h"

#include <filesystem>

#include "support/RegularFile.h"
#include "support/TerminalText.h"
#include "support/TextRules.h"

namespace merivane::cli {
namespace {

// Device and operation texts end lines with "\r\n"; a terminal wants "\n".
std::string AsLines(const std::string& text) {
    std::string lines = RemoveAll(text, "\r");
    while (!lines.empty() && lines.back() == '\n') lines.pop_back();
    return lines;
}

// The operations speak of the desktop's buttons and pages; the command line has
// neither. A "Select Retry ..." line goes (--retries says how often it tries
// again), and the Refresh button becomes running the command again.
std::string CommandLineWording(std::string lines) {
    constexpr std::string_view kRefresh = "Press Refresh on the Device Information page";
    for (size_t at; (at = lines.find(kRefresh)) != std::string::npos;)
        lines.replace(at, kRefresh.size(), "Run the command again");
    std::string kept;
    size_t from = 0;
    while (from <= lines.size()) {
        size_t end = lines.find('\n', from);
        if (end == std::string::npos) end = lines.size();
        const std::string_view line(lines.data() + from, end - from);
        if (!line.starts_with("Select Retry")) kept.append(line).append("\n");
        from = end + 1;
    }
    while (!kept.empty() && kept.back() == '\n') kept.pop_back();
    return kept;
}

}  // namespace

void CliPrompts::Say(const std::string& text) {
    const std::string lines = CommandLineWording(AsLines(text));
    messages_.push_back(lines);
    std::fprintf(out_, "merivane-cli: %s\n", TerminalSafe(lines, LineBreaks::Keep).c_str());
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
    // Never a device, FIFO or socket: saving would replace it.
    if (std::string why; !CanSaveTo(path.string(), &why)) {
        Say("nothing can be saved to " + path.string() + " (" + why + ")");
        return {};
    }
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
