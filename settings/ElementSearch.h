#pragma once

#include <libxml/tree.h>

#include <string_view>

namespace merivane {

// Node type of an element, as the XML library numbers node types.
inline constexpr int kElementNodeType = XML_ELEMENT_NODE;

// The name of a node as a view (empty for a null node or a node without a name).
std::string_view NodeName(const xmlNode* node);

// The first of `from` and its following siblings whose node type is `type` and whose
// name equals `name` without regard to ASCII case; null when there is none.
xmlNode* FindElementFrom(xmlNode* from, int type, std::string_view name);

// The first child of `node` with node type `type` (1 = element) and the name `name`,
// compared without regard to case; null when `node` is null or has no such child.
xmlNode* FindChildElement(xmlNode* node, int type, std::string_view name);

// The same search among the siblings that follow `node`.
xmlNode* FindNextElement(xmlNode* node, int type, std::string_view name);

}  // namespace merivane
