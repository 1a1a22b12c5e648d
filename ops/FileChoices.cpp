#include "ops/FileChoices.h"

#include "app/Prompts.h"

namespace merivane {

std::string BrowseForFile(Prompts& prompts, const std::string& current, const FileChoice& choice) {
    std::string chosen = prompts.OpenFile(current, choice.defaultExtension, choice.filter);
    return chosen.empty() ? current : chosen;
}

}  // namespace merivane
