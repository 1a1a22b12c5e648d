#include "ops/ConfigurationBackup.h"

#include <libxml/tree.h>

#include "app/CKestrionApp.h"
#include "app/Prompts.h"
#include "ops/OpsMessages.h"
#include "settings/DocumentStore.h"
#include "support/ReplacementFile.h"

namespace merivane {
namespace {

// A backup holds the APN password and the SIM PIN: a new one is readable by its owner only.
// One that replaces an older file keeps that file's permissions.
constexpr mode_t kNewBackupMode = 0600;

// The document as the XML library saves it to a file.
bool DumpDocument(xmlDoc* document, std::string& text) {
    xmlChar* dump = nullptr;
    int size = 0;
    xmlDocDumpMemory(document, &dump, &size);
    if (dump == nullptr || size <= 0) {
        if (dump != nullptr) xmlFree(dump);
        return false;
    }
    text.assign(reinterpret_cast<const char*>(dump), static_cast<size_t>(size));
    xmlFree(dump);
    return true;
}

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
    std::string text;
    if (documents.SettingsDocument() == nullptr ||
        !DumpDocument(documents.SettingsDocument(), text))
        return SayNothingToBackUp(prompts);
    ReplacementFile file(path, kNewBackupMode);
    if (file.Write(text) && file.Commit()) return BackupOutcome::Saved;
    prompts.Inform(FillIn("The settings could not be saved to %s (%s).", {path, file.Error()}),
                   kErrorCaption, Prompts::Icon::Error);
    return BackupOutcome::WriteFailed;
}

}  // namespace merivane
