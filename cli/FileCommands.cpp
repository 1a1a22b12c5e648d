// The commands on the device's Python folder: ls, upload, download, rm, autostart.

#include "ops/PythonAutostart.h"
#include "ops/PythonFileDelete.h"
#include "ops/PythonFileDownload.h"
#include "ops/PythonFileList.h"
#include "ops/PythonFileUpload.h"
#include "cli/DeviceCommands.h"
#include "cli/DeviceSession.h"
#include "link/UploadEngine.h"
#include "settings/Bindings.h"
#include "settings/DocumentStore.h"
#include "settings/RciRequests.h"

namespace merivane::cli {
namespace {

constexpr char kNoList[] = "the device did not send its file list";

JsonValue FilesOf(const PythonFileListing& listing) {
    JsonValue files = JsonValue::Array();
    for (const PythonFileEntry& entry : listing.entries) {
        JsonValue file = JsonValue::Object();
        file.Set("name", entry.name);
        file.Set("size", entry.size ? JsonValue(*entry.size) : JsonValue(entry.sizeText));
        files.Append(file);
    }
    return files;
}

// The folder's list, or nothing after failing the report.
bool FetchList(DeviceSession& session, CommandReport& report, PythonFileListing& listing) {
    listing = FetchPythonFileList(session.Executor());
    if (!listing.answered) report.Fail(kExitFailed, kNoList);
    return listing.answered;
}

}  // namespace

void RunList(DeviceSession& session, CommandReport& report) {
    PythonFileListing listing;
    if (!FetchList(session, report, listing)) return;
    report.Data().Set("files", FilesOf(listing));
}

void RunUpload(DeviceSession& session, CommandReport& report) {
    const std::string& path = session.Options().args.front();
    const UploadResult result = UploadPythonFile(path, session.Executor(), session.Prompter());
    switch (result.outcome) {
        case UploadOutcome::Verified:
            report.Data().Set("file", path);
            report.Data().Set("device_path", std::string(rci::kPythonFolder) + LocalFileName(path));
            report.Data().Set("verified", true);
            return;
        case UploadOutcome::NotVerified:
            report.Fail(kExitFailed, "the file did not transfer correctly");
            return;
        case UploadOutcome::Refused:
            report.Fail(kExitUsage, "the file was not sent");
            return;
    }
}

void RunDownload(DeviceSession& session, CommandReport& report) {
    const std::vector<std::string>& args = session.Options().args;
    const std::string& name = args.front();
    PythonFileListing listing;
    if (!FetchList(session, report, listing)) return;
    const PythonFileEntry* entry = FindPythonFile(listing, name);
    if (entry == nullptr) {
        report.Fail(kExitFailed, "the device has no file " + name);
        return;
    }
    CliPrompts& prompts = session.Prompter();
    prompts.SetSavePath(args.size() > 1 ? args[1] : std::string());
    const std::vector<DownloadReport> done =
        DownloadPythonFiles({*entry}, session.Executor(), prompts);
    report.Data().Set("file", name);
    switch (done.front().outcome) {
        case DownloadOutcome::Saved:
            report.Data().Set("saved_to", done.front().savedPath);
            report.Data().Set("verified", true);
            return;
        case DownloadOutcome::NotSaved:
            if (prompts.RefusedExistingFile())
                report.Fail(kExitUsage, "the destination exists; add --yes to replace it");
            else
                report.Fail(kExitFailed, "the file was not saved");
            return;
        case DownloadOutcome::Failed:
            report.Fail(kExitFailed, "the file did not transfer correctly");
            return;
        case DownloadOutcome::Refused:
            report.Fail(kExitFailed, "the file cannot be fetched");
            return;
    }
}

void RunRemove(DeviceSession& session, CommandReport& report) {
    const std::vector<std::string>& names = session.Options().args;
    PythonFileListing listing;
    if (!FetchList(session, report, listing)) return;
    for (const std::string& name : names) {
        if (FindPythonFile(listing, name) == nullptr) {
            report.Fail(kExitFailed, "the device has no file " + name + "; nothing was deleted");
            return;
        }
    }
    const DeleteResult result = DeletePythonFiles(names, session.Executor(), session.Prompter());
    if (result.outcome == DeleteOutcome::Refused) {
        report.Fail(kExitUsage, "nothing was deleted");
        return;
    }
    JsonValue deleted = JsonValue::Array();
    for (const std::string& name : names) deleted.Append(name);
    report.Data().Set("deleted", deleted);
    report.Data().Set("files", FilesOf(result.listing));
    if (!result.listing.answered) {
        report.Fail(kExitFailed, std::string(kNoList) + " after deleting");
        return;
    }
    for (const std::string& name : names)
        if (FindPythonFile(result.listing, name) != nullptr)
            report.Fail(kExitFailed, name + " is still on the device");
}

void RunAutostart(DeviceSession& session, CommandReport& report) {
    const CliOptions& options = session.Options();
    const bool enable = options.args.front() == "on";
    DocumentStore& documents = session.App().Documents();
    const AutostartOutcome outcome = ApplyPythonAutostart(
        enable, options.hasAutostartCommand ? &options.autostartCommand : nullptr, documents,
        session.Executor(), session.Prompter());
    switch (outcome) {
        case AutostartOutcome::Refused:
            report.Fail(kExitUsage,
                        "auto-start needs a command line to run; add --command CMDLINE");
            return;
        case AutostartOutcome::NothingToSend:
            report.Fail(kExitFailed, kSettingsNotLoaded);
            return;
        case AutostartOutcome::ReadBackFailed:
            report.Fail(kExitFailed, "the device did not send its settings back after taking them");
            break;
        case AutostartOutcome::Applied:
            break;
    }

    int state = -1;  // neither "on" nor "off" leaves it so
    std::string command;
    ReadBindings(nullptr, PythonAutostartBindings(&state, &command), documents.SettingsNode());
    report.Data().Set("autostart", state == 1 ? "on" : state == 0 ? "off" : "unknown");
    report.Data().Set("command", command);
    if (state != (enable ? 1 : 0))
        report.Fail(kExitFailed,
                    std::string("the device did not take auto-start ") + (enable ? "on" : "off"));
    else if (options.hasAutostartCommand && command != options.autostartCommand)
        report.Fail(kExitFailed,
                    "the device did not take the command line " + options.autostartCommand);
}

}  // namespace merivane::cli
