#include "settings/SettingsRequest.h"

#include <libxml/xmlmemory.h>

#include <set>

namespace merivane {
namespace {

const xmlChar* XmlName(const char* name) { return reinterpret_cast<const xmlChar*>(name); }

bool IsNamed(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, XmlName(name)) == 0;
}

bool IsBlank(const xmlNode* node) {
    return (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) &&
           xmlIsBlankNode(node) != 0;
}

bool HasElementChildren(const xmlNode* node) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next)
        if (child->type == XML_ELEMENT_NODE) return true;
    return false;
}

// Only elements and text below `node`.
bool HoldsOnlySettings(const xmlNode* node) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            if (!HoldsOnlySettings(child)) return false;
        } else if (child->type != XML_TEXT_NODE && child->type != XML_CDATA_SECTION_NODE) {
            return false;
        }
    }
    return true;
}

void CopyAttributes(const xmlNode* from, xmlNode* to) {
    for (const xmlAttr* attribute = from->properties; attribute != nullptr;
         attribute = attribute->next) {
        xmlChar* value = xmlNodeListGetString(from->doc, attribute->children, 1);
        xmlNewProp(to, attribute->name, value != nullptr ? value : XmlName(""));
        if (value != nullptr) xmlFree(value);
    }
}

using ElementSet = std::set<const xmlNode*>;

// Copies the elements and text under `from` to `to`; with `only`, just the elements in it.
// In an element that holds other elements, white space only lays them out and is left out.
void CopySettings(const xmlNode* from, xmlNode* to, const ElementSet* only = nullptr) {
    const bool group = HasElementChildren(from);
    for (const xmlNode* child = from->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            if (only != nullptr && only->count(child) == 0) continue;
            xmlNode* copy = xmlNewChild(to, nullptr, child->name, nullptr);
            CopyAttributes(child, copy);
            CopySettings(child, copy, only);
        } else if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            if (group && IsBlank(child)) continue;
            xmlAddChild(to, xmlNewDocText(to->doc, child->content));
        }
    }
}

}  // namespace

xmlNode* SetSettingElement(xmlDoc* document) {
    xmlNode* root = document != nullptr ? xmlDocGetRootElement(document) : nullptr;
    if (root == nullptr) return nullptr;
    for (xmlNode* child = root->children; child != nullptr; child = child->next)
        if (IsNamed(child, "set_setting")) return child;
    return nullptr;
}

bool IsPureSettingsRequest(xmlDoc* document) {
    if (document == nullptr) return false;
    const xmlNode* root = xmlDocGetRootElement(document);
    if (root == nullptr || !IsNamed(root, "rci_request")) return false;
    for (const xmlNode* top = document->children; top != nullptr; top = top->next)
        if (top != root) return false;
    const xmlNode* request = nullptr;
    for (const xmlNode* child = root->children; child != nullptr; child = child->next) {
        if (IsBlank(child) && child->type == XML_TEXT_NODE) continue;
        if (!IsNamed(child, "set_setting") || request != nullptr) return false;
        request = child;
    }
    return request != nullptr && HoldsOnlySettings(request);
}

namespace {

XmlDocPtr NewSettingsRequest(const xmlNode* setSetting, const ElementSet* only) {
    XmlDocPtr document(xmlNewDoc(XmlName("1.0")));
    xmlNode* root = xmlNewDocNode(document.get(), nullptr, XmlName("rci_request"), nullptr);
    xmlDocSetRootElement(document.get(), root);
    xmlNewProp(root, XmlName("version"), XmlName("1.1"));
    CopySettings(setSetting, xmlNewChild(root, nullptr, XmlName("set_setting"), nullptr), only);
    return document;
}

}  // namespace

XmlDocPtr BuildSettingsRequest(const xmlNode* setSetting) {
    if (setSetting == nullptr) return nullptr;
    return NewSettingsRequest(setSetting, nullptr);
}

XmlDocPtr BuildSettingsRequest(const xmlNode* setSetting,
                               const std::vector<const xmlNode*>& settings) {
    if (setSetting == nullptr) return nullptr;
    // The chosen settings and the groups around them, up to "set_setting".
    ElementSet only;
    for (const xmlNode* node : settings)
        for (; node != nullptr && node != setSetting; node = node->parent) only.insert(node);
    return NewSettingsRequest(setSetting, &only);
}

}  // namespace merivane
