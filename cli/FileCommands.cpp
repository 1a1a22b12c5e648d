// The commands on the device's Python folder: ls, upload, download, rm.

#include "app/CKestrionApp.h"
#include "cli/DeviceCommands.h"
#include "cli/DeviceSession.h"
#include "cli/StoredFileDigest.h"
#include "link/UploadEngine.h"
#include "ops/DigestAnswer.h"
#include "ops/PythonAutostart.h"
#include "ops/PythonFileDelete.h"
#include "ops/PythonFileDownload.h"
#include "ops/PythonFileList.h"
#include "ops/PythonFileUpload.h"
#include "settings/RciRequests.h"
#include "support/FileMd5Hex.h"

namespace merivane::cli {
namespace {

constexpr char kNoList[] = "the device did not send its file list";

Json FilesOf(const PythonFileListing& listing) {
    Json files = Json::array();
    for (const PythonFileEntry& entry : listing.entries)
        files.push_back({{"name", entry.name},
                         {"size", entry.size ? Json(*entry.size) : Json(entry.sizeText)}});
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
    report.Data()["files"] = FilesOf(listing);
}

void RunUpload(DeviceSession& session, CommandReport& report) {
    const CliOptions& options = session.Options();
    const std::string& path = options.args.front();
    const std::string devicePath = std::string(rci::kPythonFolder) + LocalFileName(path);
    report.Data()["file"] = path;
    report.Data()["device_path"] = devicePath;
    report.ListChanges();
    // Refused before the device is asked anything, with --check too.
    if (HasForbiddenUploadCharacter(path)) {
        report.Fail(kExitUsage, std::string(kSpecialCharacterRefusal) + "; the file was not sent");
        return;
    }
    // What the device has and what it would get, by digest (null: no such file).
    std::string local;
    FileMd5Hex(path, local);
    const std::optional<std::string> stored = StoredFileDigest(session.Executor(), devicePath);
    const bool same = stored && DigestsMatch(!local.empty(), local, *stored);
    if (options.ifChanged && same) {
        report.Data()["uploaded"] = false;
        session.Prompter().Say("The device's copy of " + LocalFileName(path) +
                               " is the same; nothing was sent.");
        return;
    }
    // The same bytes sent again change nothing on the device, and a check says so.
    if (!same) report.AddChange(devicePath, stored ? Json(*stored) : Json(), local);
    if (options.check) return;

    const UploadResult result = UploadPythonFile(path, session.Executor(), session.Prompter());
    // A transfer that failed may have left the device's copy other than it was; only a
    // verified copy is uploaded.
    if (result.outcome == UploadOutcome::NotVerified ||
        (result.outcome == UploadOutcome::Verified && !same))
        report.MarkChanged();
    report.Data()["uploaded"] = result.outcome == UploadOutcome::Verified;
    switch (result.outcome) {
        case UploadOutcome::Verified:
            report.Data()["verified"] = true;
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
    report.Data()["file"] = name;
    switch (done.front().outcome) {
        case DownloadOutcome::Saved:
            report.Data()["saved_to"] = done.front().savedPath;
            report.Data()["verified"] = true;
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
    const CliOptions& options = session.Options();
    PythonFileListing listing;
    if (!FetchList(session, report, listing)) return;
    report.ListChanges();
    std::vector<std::string> names;  // the named files the device has
    for (const std::string& name : options.args) {
        if (name == kPythonArchiveName) {
            report.Fail(kExitUsage, std::string(kPythonArchiveRefusal) + "; nothing was deleted");
            return;
        }
        if (FindPythonFile(listing, name) != nullptr) {
            names.push_back(name);
            report.AddChange(std::string(rci::kPythonFolder) + name, "present", Json());
        } else if (!options.ifPresent) {
            report.Fail(kExitFailed, "the device has no file " + name + "; nothing was deleted");
            return;
        }
    }
    // Deleting the program auto-start runs is allowed, but not in silence.
    const std::string autostartProgram = ActiveAutostartProgram(session.App().Documents());
    for (const std::string& name : names)
        if (!autostartProgram.empty() && name == autostartProgram)
            session.Prompter().Say("warning: " + DeletedAutostartProgramWarning(name));
    Json deleted = Json::array();
    if (options.check || names.empty()) {
        report.Data()["deleted"] = deleted;
        report.Data()["files"] = FilesOf(listing);
        if (names.empty() && !options.check)
            session.Prompter().Say("The device has none of these files; nothing was deleted.");
        return;
    }
    const DeleteResult result = DeletePythonFiles(names, session.Executor(), session.Prompter());
    if (result.outcome == DeleteOutcome::Refused) {
        report.Fail(kExitUsage, "nothing was deleted");
        return;
    }
    report.MarkChanged();
    for (const std::string& name : names) deleted.push_back(name);
    report.Data()["deleted"] = deleted;
    report.Data()["files"] = FilesOf(result.listing);
    if (!result.listing.answered) {
        report.Fail(kExitFailed, std::string(kNoList) + " after deleting");
        return;
    }
    for (const std::string& name : names)
        if (FindPythonFile(result.listing, name) != nullptr)
            report.Fail(kExitFailed, name + " is still on the device");
}

}  // namespace merivane::cli
