#include "ops/DeviceUtilities.h"

#include <string>

#include "app/BatchExecutor.h"
#include "app/EndProcess.h"
#include "ops/ConfigurationRestore.h"
#include "settings/DocumentStore.h"
#include "settings/RciRequests.h"

namespace merivane {

bool SendRebootCommand(BatchExecutor& executor) {
    CommandList list = {{"at+CFUN=1\r\n", "Rebooting device....", 1000}};
    executor.RunBatch(list);
    return list.front().failed == 0;
}

void RebootDevice(BatchExecutor& executor) {
    SendRebootCommand(executor);
    EndProcess(0);
}

FactoryDefaultsOutcome RestoreFactoryDefaults(DocumentStore& documents, BatchExecutor& executor,
                                              Prompts& prompts) {
    constexpr char kCollecting[] = "Collecting device information after factory reset...";
    const std::string settingsQuery = rci::InlineCommand(rci::kQuerySettings);
    const std::string stateQuery = rci::InlineCommand(rci::kQueryState);
    CommandList list = {
        {rci::InlineCommand(rci::kSetFactoryDefault), "Restoring factory defaults...", 10000},
        {"at+CFUN=1\r\n", "Rebooting device...", 10000},
        {settingsQuery, kCollecting, 20000},
        {stateQuery, kCollecting, 20000},
    };
    executor.RunBatch(list);

    const std::string* settings = nullptr;
    for (const USBCommand& entry : list) {
        if (entry.command.empty()) break;
        if (entry.failed) continue;
        if (entry.command == settingsQuery) settings = &entry.result;
        if (entry.command == stateQuery) documents.LoadStateDocument(entry.result);
    }
    return LoadSettingsReadBack(settings, documents, prompts)
               ? FactoryDefaultsOutcome::Restored
               : FactoryDefaultsOutcome::SettingsNotReadBack;
}

}  // namespace merivane
