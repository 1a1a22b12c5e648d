#pragma once

#include <libxml/tree.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace merivane::sim {

struct XmlDocDeleter {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocDeleter>;

// Small helpers over libxml2 trees for the device's documents and requests.
// Element names are compared without regard to case, as the tool does.
namespace xml {

// Parses a document from memory without network access and without entity
// substitution. Null when the text is not well-formed.
XmlDocPtr Parse(std::string_view text);
// A new document whose root element is named `rootName`.
XmlDocPtr NewDocument(const char* rootName);

// The node written out as text, without declaration and without added white space.
std::string Dump(const xmlNode* node);

bool NameIs(const xmlNode* node, std::string_view name);
std::string Name(const xmlNode* node);
xmlNode* FirstElement(const xmlNode* parent);
xmlNode* NextElement(const xmlNode* node);
bool HasElementChildren(const xmlNode* node);
// The attribute's value, if the element has it.
std::optional<std::string> Attribute(const xmlNode* node, const char* name);

// The text content of an element (entities already resolved to characters).
std::string Text(const xmlNode* node);
// Replaces an element's content by `text` (taken literally, no entities).
void SetText(xmlNode* node, std::string_view text);

// Appends a new child element, with optional text.
xmlNode* AddChild(xmlNode* parent, const char* name,
                  std::optional<std::string_view> text = std::nullopt);
void SetAttribute(xmlNode* node, const char* name, std::string_view value);

// True when `candidate` has the request element's name and every attribute
// the request element carries, with the same value (values compared without
// regard to case).
bool Matches(const xmlNode* candidate, const xmlNode* request);

// Resolves a setting path below `start` ("group/element", each component
// optionally with one selector "&attribute=value"): the element, or null.
xmlNode* Resolve(const xmlNode* start, std::string_view path);

// Copies into `out` the parts of `source`'s children that `request` asks for:
// all of them when `request` has no element children; otherwise, for each
// requested element, the matching children of `source`, whole when the
// requested element is empty and narrowed down the same way when it is not.
void CopySelected(const xmlNode* source, const xmlNode* request, xmlNode* out);

// Writes the leaves of `request` into the matching elements below `target`.
// Elements the target does not have are ignored; so are values aimed at an
// element that has children of its own. Returns true when anything changed.
bool MergeValues(xmlNode* target, const xmlNode* request);

}  // namespace xml
}  // namespace merivane::sim
