#include "settings/XmlText.h"

#include <libxml/xmlmemory.h>

#include <climits>

namespace merivane {

namespace {

// Takes over a string the XML library allocated and frees it.
std::string TakeXmlString(xmlChar* owned) {
    if (owned == nullptr) return {};
    std::string text(reinterpret_cast<const char*>(owned));
    xmlFree(owned);
    return text;
}

}  // namespace

std::string NodeText(const xmlNode* node) {
    if (node == nullptr) return {};
    return TakeXmlString(xmlNodeGetContent(node));
}

bool AttributeText(const xmlNode* node, const char* name, std::string& value) {
    value.clear();
    if (node == nullptr) return false;
    xmlChar* owned = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (owned == nullptr) return false;
    value = TakeXmlString(owned);
    return true;
}

void SetNodeText(xmlNode* node, const std::string& text) {
    if (node == nullptr) return;
    // A null content removes every child without creating a new one.
    xmlNodeSetContent(node, nullptr);
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return;
    // A text node made directly holds its bytes as they are; the content setter would
    // read "&name;" sequences in them as entity references.
    xmlNode* child = xmlNewDocTextLen(node->doc, reinterpret_cast<const xmlChar*>(text.data()),
                                      static_cast<int>(text.size()));
    if (child != nullptr && xmlAddChild(node, child) == nullptr) xmlFreeNode(child);
}

}  // namespace merivane
