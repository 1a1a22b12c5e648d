#include "app/SettingsApply.h"

#include <functional>
#include <string>

#include "app/BatchExecutor.h"
#include "settings/DocumentSerializer.h"
#include "settings/DocumentStore.h"
#include "settings/RciRequests.h"

namespace merivane {
namespace {

struct ApplyPlan {
    xmlDoc* document;
    std::string leadInMessage;
    std::string documentMessage;
    int documentTimeoutMs;
    bool settlePause;
    std::string readBack;  // the request whose answer is loaded afterwards
    std::string readBackMessage;
    std::function<bool(const std::string&)> reload;
};

ApplyOutcome Apply(BatchExecutor& executor, const ApplyPlan& plan) {
    if (!plan.document) return ApplyOutcome::NothingToSend;
    CommandList list = {
        {std::string(rci::kTwoPartLeadIn), plan.leadInMessage, 5000},
        {SerializeForSending(plan.document), plan.documentMessage, plan.documentTimeoutMs},
    };
    if (plan.settlePause)
        list.push_back({"SLEEP", "Waiting for new settings to take effect...", 30000});
    list.push_back({rci::InlineCommand(plan.readBack), plan.readBackMessage, 20000});
    executor.RunBatch(list);

    bool reloaded = false;
    for (const USBCommand& entry : list) {
        if (entry.command.empty()) break;
        if (entry.failed) continue;
        if (entry.command.find(plan.readBack) != std::string::npos)
            reloaded = plan.reload(entry.result);
    }
    return reloaded ? ApplyOutcome::Applied : ApplyOutcome::ReadBackFailed;
}

}  // namespace

ApplyOutcome ApplySettings(BatchExecutor& executor, DocumentStore& documents) {
    return ApplySettingsRequest(executor, documents, documents.SettingsDocument());
}

ApplyOutcome ApplySettingsRequest(BatchExecutor& executor, DocumentStore& documents,
                                  xmlDoc* request) {
    return Apply(
        executor,
        {request, "Sending new settings to the device...", "Sending new settings to device...",
         30000, true, std::string(rci::kQuerySettings), "Retrieving new settings from device...",
         [&](const std::string& answer) { return documents.ReloadSettingsDocument(answer); }});
}

ApplyOutcome ApplyZelboSettings(BatchExecutor& executor, DocumentStore& documents) {
    return Apply(
        executor,
        {documents.ZelboDocument(), "Sending new Zelbo settings to the device...",
         "Sending new Zelbo settings to the device...", 35000, false,
         std::string(rci::kQueryZelboSettings), "Retrieving Zelbo settings from the device...",
         [&](const std::string& answer) { return documents.ReloadZelboDocument(answer); }});
}

}  // namespace merivane
