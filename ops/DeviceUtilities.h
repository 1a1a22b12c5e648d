#pragma once

namespace merivane {

class BatchExecutor;
class DocumentStore;
class Prompts;

// Sends the reboot command (one second to answer). True when the device took it.
bool SendRebootCommand(BatchExecutor& executor);

// Reboots the device and ends the process with code 0 at once, without giving the device
// its console back.
[[noreturn]] void RebootDevice(BatchExecutor& executor);

enum class FactoryDefaultsOutcome {
    Restored,             // the device's new settings and state are loaded
    SettingsNotReadBack,  // no settings came back: the settings slot is empty (said)
};

// Restores the device's factory settings, reboots it, and reads its settings and state
// back.
FactoryDefaultsOutcome RestoreFactoryDefaults(DocumentStore& documents, BatchExecutor& executor,
                                              Prompts& prompts);

}  // namespace merivane
