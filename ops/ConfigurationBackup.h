#pragma once

#include <string>

namespace merivane {

class DocumentStore;
class Prompts;

inline constexpr char kBackupFileName[] = "backup.cfg";
inline constexpr char kBackupExtension[] = "cfg";
inline constexpr char kBackupFilter[] = "*.cfg";
inline constexpr char kNothingToBackUp[] =
    "There are no device settings to back up. Press Refresh on the Device Information page to "
    "read them from the device.";

enum class BackupOutcome {
    Saved,            // the settings document is in the file
    Cancelled,        // the user cancelled the save dialog
    NothingToBackUp,  // no settings document is loaded (said in a message)
    WriteFailed,      // the file could not be written (said; a file already there is kept)
};

// Asks where to save (proposing "backup.cfg") and saves the settings document there.
BackupOutcome BackupSettings(const DocumentStore& documents, Prompts& prompts);

// Saves the settings groups of the settings document to `path` as the XML library writes a
// document (declaration, then the "rci_request"/"set_setting" request; nothing else the
// device's answer held), through a temporary file that takes the name only when complete.
// The file is readable by its owner only, also when it replaces a wider one. Failures and a
// missing document are said through `prompts`.
BackupOutcome SaveSettingsBackup(const DocumentStore& documents, const std::string& path,
                                 Prompts& prompts);

}  // namespace merivane
