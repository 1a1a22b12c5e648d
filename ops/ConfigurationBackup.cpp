#include "ops/ConfigurationBackup.h"

#include "app/CKestrionApp.h"
#include "app/Prompts.h"
#include "ops/OpsMessages.h"
#include "ops/SettingsFile.h"
#include "settings/DocumentStore.h"
#include "settings/SettingsRequest.h"

namespace merivane {
namespace {

BackupOutcome SayNothingToBackUp(Prompts& prompts) {
    prompts.Inform(kNothingToBackUp, CKestrionApp::kDisplayName, Prompts::Icon::Warning);
    return BackupOutcome::NothingToBackUp;
}

}  // namespace

BackupOutcome BackupSettings(const DocumentStore& documents, Prompts& prompts) {
    if (documents.SettingsDocument() == nullptr) return SayNothingToBackUp(prompts);
    const std::string path = prompts.SaveFile(kBackupFileName, kBackupExtension, kBackupFilter);
    if (path.empty()) return BackupOutcome::Cancelled;
    return SaveSettingsBackup(documents, path, prompts);
}

BackupOutcome SaveSettingsBackup(const DocumentStore& documents, const std::string& path,
                                 Prompts& prompts) {
    // Only the settings groups, whatever else the device's answer held.
    const XmlDocPtr backup = BuildSettingsRequest(SetSettingElement(documents.SettingsDocument()));
    if (backup == nullptr) return SayNothingToBackUp(prompts);
    std::string error;
    if (WriteSettingsFile(backup.get(), path, error)) return BackupOutcome::Saved;
    prompts.Inform(FillIn("The settings could not be saved to %s (%s).", {path, error}),
                   kErrorCaption, Prompts::Icon::Error);
    return BackupOutcome::WriteFailed;
}

}  // namespace merivane
