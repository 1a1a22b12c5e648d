#include "cli/Confirmation.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "cli/CliOptions.h"
#include "cli/CliPrompts.h"
#include "cli/CommandReport.h"
#include "support/TerminalText.h"

namespace merivane::cli {

bool NeedsConfirmation(const std::string& command) {
    return command == "firmware" || command == "radio-firmware";
}

bool Confirm(const CliOptions& options, const std::string& devices, CliPrompts& prompts,
             CommandReport& report) {
    // A check sends nothing that changes the device: there is nothing to confirm.
    if (options.yes || options.check || !NeedsConfirmation(options.command)) return true;
    const std::string what =
        options.command == "firmware" ? "the firmware" : "the mesh radio firmware";
    const std::string question =
        "Update " + what + " of " + devices + " from " + options.args.front() + "?";
    if (!isatty(STDIN_FILENO)) {
        report.Fail(kExitUsage, question + " There is no terminal to ask on; add --yes.");
        return false;
    }
    std::fprintf(stderr, "%s [y/N] ", TerminalSafe(question).c_str());
    std::fflush(stderr);
    std::string answer;
    std::getline(std::cin, answer);
    if (answer == "y" || answer == "Y" || answer == "yes" || answer == "YES" || answer == "Yes") {
        prompts.Say(question + " - yes");
        return true;
    }
    report.Fail(kExitFailed, "not confirmed; nothing was sent");
    return false;
}

}  // namespace merivane::cli
