#pragma once

#include <libxml/tree.h>

#include <string>
#include <vector>

namespace merivane {

// One setting of a document: an element that holds no other element, and the setting
// path that names it.
struct SettingLeaf {
    std::string path;
    xmlNode* element = nullptr;
};

// The settings under `start` and its following siblings, in document order. Each path
// component is the element's name, with a selector "&attribute=value" of its first
// attribute when it has one ("mgmtconnection&index=3/connectionEnabled"). A setting that its
// path would not find again (a later element of the same name and selector) is left out.
std::vector<SettingLeaf> SettingLeaves(xmlNode* start);

// True for an element that holds no other element: one setting, not a group.
bool IsSetting(const xmlNode* element);

// The element's text content ("" for an empty element).
std::string ElementText(const xmlNode* element);

}  // namespace merivane
