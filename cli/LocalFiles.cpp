#include "cli/LocalFiles.h"

#include <filesystem>

#include "link/UploadEngine.h"
#include "ops/ConfigurationBackup.h"
#include "ops/ConfigurationRestore.h"
#include "ops/OpsMessages.h"
#include "ops/PythonFileDownload.h"
#include "support/RegularFile.h"

namespace merivane::cli {
namespace {

bool CheckSource(const std::string& path, uint64_t maxBytes, std::string& error) {
    std::string why;
    if (CanReadRegularFile(path, &why, maxBytes)) return true;
    error = FillIn(kCannotReadFilePattern, {path, why});
    return false;
}

// `path` as the save goes to it: a folder takes the suggested name, which must then be one.
bool CheckTarget(const std::string& path, const std::string& suggestedName, std::string& error) {
    std::error_code ignored;
    const bool folder = std::filesystem::is_directory(path, ignored);
    if (folder && suggestedName.empty()) {
        error = "no file name to save under in " + path +
                ": a name starting with a dot is made only when given; name the file";
        return false;
    }
    const std::filesystem::path target =
        folder ? std::filesystem::path(path) / suggestedName : std::filesystem::path(path);
    std::string why;
    if (CanSaveTo(target.string(), &why)) return true;
    error = "nothing can be saved to " + target.string() + " (" + why + ")";
    return false;
}

}  // namespace

bool CheckLocalFiles(const CliOptions& options, std::string& error) {
    const std::string& command = options.command;
    if (options.args.empty()) return true;
    const std::string& first = options.args.front();
    if (command == "upload" || command == "firmware" || command == "radio-firmware")
        return CheckSource(first, kMaxUploadBytes, error);
    if (command == "restore") return CheckSource(options.args.back(), kMaxBackupFileBytes, error);
    if (command == "diff") return CheckSource(first, kMaxBackupFileBytes, error);
    // A folder takes the report under its own name, made from the IMEI and the time.
    if (command == "report") return CheckTarget(first, "report.tar.gz", error);
    if (command == "backup") return CheckTarget(first, kBackupFileName, error);
    if (command == "download") {
        const std::string name = DefaultLocalName(first);
        if (options.args.size() < 2 && name.empty()) {
            error = first +
                    " is not saved under its own name (a name starting with a dot is made only "
                    "when given): name the local file to save it to";
            return false;
        }
        return CheckTarget(options.args.size() > 1 ? options.args[1] : name, name, error);
    }
    return true;
}

}  // namespace merivane::cli
