#pragma once

#include <cstdint>
#include <string>

namespace merivane {

class BatchExecutor;
class DocumentStore;
class Prompts;

inline constexpr char kNoRestoreFile[] = "You must select the configuration file to restore.";
inline constexpr char kBackupRefused[] =
    "The device refused the backup and kept its settings. It was not restarted.";
// A backup holds the device's settings document, a few kilobytes to some hundreds; a
// larger file is not one and is not taken into memory.
inline constexpr uint64_t kMaxBackupFileBytes = 10 * 1024 * 1024;

enum class RestoreOutcome {
    Refused,              // nothing was sent: no path, an unreadable file, no backup (said)
    RefusedByDevice,      // the device answered the settings with ERROR: not restarted (said)
    Restored,             // sent, the device rebooted and its settings are loaded
    SettingsNotReadBack,  // sent, but no settings came back: the settings slot is empty (said)
};

// Sends the settings groups of a configuration backup file to the device in a request of
// their own (serialised as every document is for sending), reboots the device and reads
// its settings back. A file that holds anything but a settings request (root
// "rci_request" holding only "set_setting") is refused unsent; so is another product's
// backup unless the user takes it when asked; a device that refuses the settings is not
// rebooted.
RestoreOutcome RestoreSettings(const std::string& path, DocumentStore& documents,
                               BatchExecutor& executor, Prompts& prompts);

// Loads the settings answer of a restore or factory-default batch: the answer of the
// settings query when it did not fail, else nothing, so that settings from before are
// never kept. True when a document with settings came back; else says so.
bool LoadSettingsReadBack(const std::string* answer, DocumentStore& documents, Prompts& prompts);

}  // namespace merivane
