#pragma once

#include <libxml/tree.h>

#include <string>

namespace merivane {

// The text content of a node and all its descendants (empty for a null node).
std::string NodeText(const xmlNode* node);

// Reads the attribute `name` of `node` into `value`. Returns false, leaving `value`
// empty, when the node is null or has no such attribute.
bool AttributeText(const xmlNode* node, const char* name, std::string& value);

// Replaces the whole content of `node` by `text`, taken literally: "&", "<" and entity
// references in it are stored as the characters they are, never interpreted. An empty
// text leaves the element without children, as the device delivers empty settings.
void SetNodeText(xmlNode* node, const std::string& text);

}  // namespace merivane
