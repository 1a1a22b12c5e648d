#include "ops/ConfigurationBackup.h"

#include <libxml/tree.h>

#include "app/CKestrionApp.h"
#include "app/Prompts.h"
#include "ops/OpsMessages.h"
#include "settings/DocumentStore.h"
#include "settings/SettingsRequest.h"
#include "support/ReplacementFile.h"

namespace merivane {
namespace {

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
    // Only the settings groups, whatever else the device's answer held.
    const XmlDocPtr backup = BuildSettingsRequest(SetSettingElement(documents.SettingsDocument()));
    std::string text;
    if (backup == nullptr || !DumpDocument(backup.get(), text)) return SayNothingToBackUp(prompts);
    ReplacementFile file(path, FileSecrecy::Secret);
    if (file.Write(text) && file.Commit()) return BackupOutcome::Saved;
    prompts.Inform(FillIn("The settings could not be saved to %s (%s).", {path, file.Error()}),
                   kErrorCaption, Prompts::Icon::Error);
    return BackupOutcome::WriteFailed;
}

}  // namespace merivane
