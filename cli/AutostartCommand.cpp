// The autostart command: switches Python auto-start and sets the command line it runs,
// sending nothing when the device is so already; with --check it only tells.

#include "cli/DeviceCommands.h"
#include "cli/DeviceSession.h"
#include "ops/PythonAutostart.h"
#include "ops/PythonFileList.h"
#include "settings/Bindings.h"
#include "settings/DocumentStore.h"

namespace merivane::cli {
namespace {

// Auto-start as the loaded settings have it.
struct Autostart {
    int state = -1;  // 1 on, 0 off, -1 neither
    std::string command;
};

Autostart AutostartOf(const DocumentStore& documents) {
    Autostart now;
    ReadBindings(nullptr, PythonAutostartBindings(&now.state, &now.command),
                 documents.SettingsNode());
    return now;
}

const char* StateText(int state) { return state == 1 ? "on" : state == 0 ? "off" : "unknown"; }

// "command_line": a finding named "command" would take the place of the command's name
// in the JSON document.
void ReportAutostart(const Autostart& autostart, CommandReport& report) {
    report.Data()["autostart"] = StateText(autostart.state);
    report.Data()["command_line"] = autostart.command;
}

// Auto-start on for a file the device's Python folder lacks is sent (the file may come
// later), with a warning. A list that does not come warns of nothing.
void WarnOfMissingProgram(DeviceSession& session, const std::string& commandLine) {
    const std::string program = AutostartProgram(commandLine);
    const PythonFileListing listing = FetchPythonFileList(session.Executor());
    if (!program.empty() && listing.answered && FindPythonFile(listing, program) == nullptr)
        session.Prompter().Say("warning: " + MissingAutostartProgramWarning(program));
}

}  // namespace

void RunAutostart(DeviceSession& session, CommandReport& report) {
    const CliOptions& options = session.Options();
    const bool enable = options.args.front() == "on";
    DocumentStore& documents = session.App().Documents();
    if (documents.SettingsNode() == nullptr) {
        report.Fail(kExitFailed, kSettingsNotLoaded);
        return;
    }
    const Autostart before = AutostartOf(documents);
    const std::string command =
        options.hasAutostartCommand ? options.autostartCommand : before.command;
    if (!AutostartSettingsAcceptable(enable, command)) {
        report.Fail(kExitUsage, "auto-start needs a command line to run; add --command CMDLINE");
        return;
    }
    if (enable) WarnOfMissingProgram(session, command);
    report.ListChanges();
    if (before.state != (enable ? 1 : 0))
        report.AddChange("python/state", StateText(before.state), enable ? "on" : "off");
    if (command != before.command) report.AddChange("python/command", before.command, command);
    if (options.check || !report.HasChanges()) {
        ReportAutostart(before, report);
        if (!options.check)
            session.Prompter().Say(std::string("Python auto-start is ") + StateText(before.state) +
                                   " with this command line already; nothing was sent.");
        return;
    }

    const AutostartOutcome outcome = ApplyPythonAutostart(
        enable, options.hasAutostartCommand ? &options.autostartCommand : nullptr, documents,
        session.Executor(), session.Prompter());
    switch (outcome) {
        case AutostartOutcome::Refused:  // the command line was checked above
        case AutostartOutcome::NothingToSend:
            report.Fail(kExitFailed, kSettingsNotLoaded);
            return;
        case AutostartOutcome::ReadBackFailed:
            report.MarkChanged();
            report.Fail(kExitFailed, "the device did not send its settings back after taking them");
            break;
        case AutostartOutcome::Applied:
            report.MarkChanged();
            break;
    }

    const Autostart after = AutostartOf(documents);
    ReportAutostart(after, report);
    if (after.state != (enable ? 1 : 0))
        report.Fail(kExitFailed,
                    std::string("the device did not take auto-start ") + (enable ? "on" : "off"));
    else if (after.command != command)
        report.Fail(kExitFailed, "the device did not take the command line " + command);
}

}  // namespace merivane::cli
