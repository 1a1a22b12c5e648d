#include "settings/ElementSearch.h"

#include "support/TextRules.h"

namespace merivane {

std::string_view NodeName(const xmlNode* node) {
    if (node == nullptr || node->name == nullptr) return {};
    return reinterpret_cast<const char*>(node->name);
}

xmlNode* FindElementFrom(xmlNode* from, int type, std::string_view name) {
    for (xmlNode* node = from; node != nullptr; node = node->next) {
        if (static_cast<int>(node->type) == type && EqualsIgnoringCase(NodeName(node), name)) {
            return node;
        }
    }
    return nullptr;
}

xmlNode* FindChildElement(xmlNode* node, int type, std::string_view name) {
    if (node == nullptr) return nullptr;
    return FindElementFrom(node->children, type, name);
}

xmlNode* FindNextElement(xmlNode* node, int type, std::string_view name) {
    if (node == nullptr) return nullptr;
    return FindElementFrom(node->next, type, name);
}

}  // namespace merivane
