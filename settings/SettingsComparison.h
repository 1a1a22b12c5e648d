#pragma once

#include <libxml/tree.h>

#include <string>
#include <vector>

namespace merivane {

// A setting whose value on the device differs from the value a file holds for it.
struct SettingDifference {
    std::string path;
    std::string device;
    std::string file;

    bool operator==(const SettingDifference&) const = default;
};

// The settings of a file (a backup, or a template holding only some groups: the start node
// `fileStart`) whose values differ from the device's settings (`deviceStart`), one per
// path, in the file's order. Settings the file does not hold are not compared; nor are those
// the device does not have, which a set request could not give it.
std::vector<SettingDifference> CompareSettings(xmlNode* deviceStart, xmlNode* fileStart);

}  // namespace merivane
