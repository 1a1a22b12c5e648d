#include "settings/SettingsComparison.h"

#include "settings/SettingLeaves.h"
#include "settings/SettingPath.h"

namespace merivane {

std::vector<SettingDifference> CompareSettings(xmlNode* deviceStart, xmlNode* fileStart) {
    std::vector<SettingDifference> differences;
    if (deviceStart == nullptr) return differences;
    for (const SettingLeaf& leaf : SettingLeaves(fileStart)) {
        const xmlNode* onDevice = ResolveSettingPath(deviceStart, leaf.path);
        // A group on the device where the file has one setting has no value to compare.
        if (onDevice == nullptr || !IsSetting(onDevice)) continue;
        std::string device = ElementText(onDevice);
        std::string file = ElementText(leaf.element);
        if (device != file) differences.push_back({leaf.path, std::move(device), std::move(file)});
    }
    return differences;
}

}  // namespace merivane
