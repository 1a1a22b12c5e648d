#include "ops/PythonFileDelete.h"

#include "app/BatchExecutor.h"
#include "app/CKestrionApp.h"
#include "app/Prompts.h"
#include "ops/OpsMessages.h"
#include "settings/RciRequests.h"

namespace merivane {

DeleteResult DeletePythonFiles(const std::vector<std::string>& names, BatchExecutor& executor,
                               Prompts& prompts) {
    CommandList list;
    for (const std::string& name : names) {
        if (name == kPythonArchiveName) {
            prompts.Inform(kPythonArchiveRefusal, CKestrionApp::kDisplayName, Prompts::Icon::None);
            return {};
        }
        std::string request;
        std::string why;
        if (!rci::RemovePythonFileRequest(name, &request, &why)) {
            prompts.Inform(FillIn("The file %s cannot be deleted. %s", {name, why}), kErrorCaption,
                           Prompts::Icon::Error);
            return {};
        }
        list.push_back({std::string(rci::kTwoPartLeadIn), kDeletingMessage, 7000});
        list.push_back({std::move(request), kDeletingMessage, 20000});
    }
    AppendPythonFileListRequest(list);
    executor.RunBatch(list);
    return {DeleteOutcome::Deleted, ReadListAnswer(list)};
}

}  // namespace merivane
