#include "settings/SettingLeaves.h"

#include <libxml/xmlmemory.h>

#include "settings/SettingPath.h"

namespace merivane {
namespace {

// The path component that finds `element` among its siblings.
std::string Component(const xmlNode* element) {
    std::string component = reinterpret_cast<const char*>(element->name);
    const xmlAttr* attribute = element->properties;
    if (attribute == nullptr) return component;
    xmlChar* value = xmlNodeListGetString(element->doc, attribute->children, 1);
    component += "&" + std::string(reinterpret_cast<const char*>(attribute->name)) + "=";
    if (value != nullptr) {
        component += reinterpret_cast<const char*>(value);
        xmlFree(value);
    }
    return component;
}

void Collect(xmlNode* first, xmlNode* start, const std::string& prefix,
             std::vector<SettingLeaf>& leaves) {
    for (xmlNode* node = first; node != nullptr; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        const std::string path = prefix + Component(node);
        if (!IsSetting(node)) {
            Collect(node->children, start, path + "/", leaves);
        } else if (ResolveSettingPath(start, path) == node) {
            leaves.push_back({path, node});
        }
    }
}

}  // namespace

std::vector<SettingLeaf> SettingLeaves(xmlNode* start) {
    std::vector<SettingLeaf> leaves;
    Collect(start, start, "", leaves);
    return leaves;
}

bool IsSetting(const xmlNode* element) {
    for (const xmlNode* child = element->children; child != nullptr; child = child->next)
        if (child->type == XML_ELEMENT_NODE) return false;
    return true;
}

std::string ElementText(const xmlNode* element) {
    xmlChar* content = xmlNodeGetContent(element);
    if (content == nullptr) return {};
    std::string text = reinterpret_cast<const char*>(content);
    xmlFree(content);
    return text;
}

}  // namespace merivane
