#include "ops/SelectedSettings.h"

#include "ops/SettingsFile.h"
#include "settings/SettingLeaves.h"
#include "settings/SettingPath.h"
#include "settings/SettingsRequest.h"

namespace merivane {

XmlDocPtr SelectSettings(xmlDoc* file, const std::vector<std::string>& paths,
                         std::vector<std::string>* missing) {
    std::vector<const xmlNode*> chosen;
    for (const std::string& path : paths) {
        const xmlNode* found = ResolveSettingPath(SettingsStart(file), path);
        if (found != nullptr && IsSetting(found))
            chosen.push_back(found);
        else if (missing != nullptr)
            missing->push_back(path);
    }
    if (chosen.empty()) return nullptr;
    return BuildSettingsRequest(SetSettingElement(file), chosen);
}

ApplyOutcome SendSelectedSettings(xmlDoc* file, const std::vector<std::string>& paths,
                                  BatchExecutor& executor, DocumentStore& documents) {
    const XmlDocPtr request = SelectSettings(file, paths);
    if (request == nullptr) return ApplyOutcome::NothingToSend;
    return ApplySettingsRequest(executor, documents, request.get());
}

}  // namespace merivane
