#include "sim/XmlTree.h"

#include <libxml/parser.h>
#include <strings.h>

#include <climits>
#include <map>
#include <utility>

namespace merivane::sim::xml {
namespace {

const xmlChar* X(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

std::string FromXml(const xmlChar* text) {
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

struct Selector {
    std::string name;
    std::string attribute;
    std::string value;
    bool has = false;
};

Selector ParseComponent(std::string_view component) {
    Selector selector;
    const size_t amp = component.find('&');
    const size_t eq = amp == std::string_view::npos ? amp : component.find('=', amp);
    if (amp == std::string_view::npos || eq == std::string_view::npos) {
        selector.name = std::string(component);
        return selector;
    }
    selector.name = std::string(component.substr(0, amp));
    selector.attribute = std::string(component.substr(amp + 1, eq - amp - 1));
    selector.value = std::string(component.substr(eq + 1));
    selector.has = true;
    return selector;
}

// The element among `target`'s children that the `index`-th request element
// of its kind (same name, same attributes) stands for.
xmlNode* Counterpart(xmlNode* target, const xmlNode* request, int index) {
    for (xmlNode* child = FirstElement(target); child; child = NextElement(child)) {
        if (Matches(child, request) && index-- == 0) return child;
    }
    return nullptr;
}

// A key naming a request element's kind: its name and attributes.
std::string KindKey(const xmlNode* node) {
    std::string key = Name(node);
    for (const xmlAttr* attr = node->properties; attr; attr = attr->next) {
        key += '\x01';
        key += FromXml(attr->name);
        key += '=';
        xmlChar* value = xmlNodeListGetString(node->doc, attr->children, 1);
        key += FromXml(value);
        xmlFree(value);
    }
    return key;
}

}  // namespace

XmlDocPtr Parse(std::string_view text) {
    if (text.size() > static_cast<size_t>(INT_MAX)) return nullptr;
    return XmlDocPtr(xmlReadMemory(text.data(), static_cast<int>(text.size()), "request.xml",
                                   nullptr,
                                   XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

XmlDocPtr NewDocument(const char* rootName) {
    XmlDocPtr doc(xmlNewDoc(X("1.0")));
    xmlDocSetRootElement(doc.get(), xmlNewDocNode(doc.get(), nullptr, X(rootName), nullptr));
    return doc;
}

std::string Dump(const xmlNode* node) {
    if (!node) return {};
    xmlBuffer* buffer = xmlBufferCreate();
    xmlNodeDump(buffer, node->doc, const_cast<xmlNode*>(node), 0, 0);
    std::string out(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                    static_cast<size_t>(xmlBufferLength(buffer)));
    xmlBufferFree(buffer);
    return out;
}

bool NameIs(const xmlNode* node, std::string_view name) {
    return node && node->type == XML_ELEMENT_NODE &&
           EqualIgnoringCase(reinterpret_cast<const char*>(node->name), name);
}

std::string Name(const xmlNode* node) { return node ? FromXml(node->name) : std::string(); }

xmlNode* FirstElement(const xmlNode* parent) {
    if (!parent) return nullptr;
    for (xmlNode* child = parent->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) return child;
    }
    return nullptr;
}

xmlNode* NextElement(const xmlNode* node) {
    for (xmlNode* next = node ? node->next : nullptr; next; next = next->next) {
        if (next->type == XML_ELEMENT_NODE) return next;
    }
    return nullptr;
}

bool HasElementChildren(const xmlNode* node) { return FirstElement(node) != nullptr; }

std::optional<std::string> Attribute(const xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, X(name));
    if (!value) return std::nullopt;
    std::string out = FromXml(value);
    xmlFree(value);
    return out;
}

std::string Text(const xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string out = FromXml(content);
    xmlFree(content);
    return out;
}

void SetText(xmlNode* node, std::string_view text) {
    xmlNodeSetContent(node, nullptr);
    if (!text.empty())
        xmlNodeAddContentLen(node, reinterpret_cast<const xmlChar*>(text.data()),
                             static_cast<int>(text.size()));
}

xmlNode* AddChild(xmlNode* parent, const char* name, std::optional<std::string_view> text) {
    xmlNode* child = xmlNewChild(parent, nullptr, X(name), nullptr);
    if (text) SetText(child, *text);
    return child;
}

void SetAttribute(xmlNode* node, const char* name, std::string_view value) {
    xmlSetProp(node, X(name), X(std::string(value).c_str()));
}

bool Matches(const xmlNode* candidate, const xmlNode* request) {
    if (!NameIs(candidate, FromXml(request->name))) return false;
    for (const xmlAttr* attr = request->properties; attr; attr = attr->next) {
        const std::string name = FromXml(attr->name);
        const std::optional<std::string> wanted = Attribute(request, name.c_str());
        const std::optional<std::string> have = Attribute(candidate, name.c_str());
        if (!have || !EqualIgnoringCase(*have, wanted.value_or(""))) return false;
    }
    return true;
}

xmlNode* Resolve(const xmlNode* start, std::string_view path) {
    xmlNode* node = const_cast<xmlNode*>(start);
    while (node && !path.empty()) {
        const size_t slash = path.find('/');
        const Selector selector = ParseComponent(path.substr(0, slash));
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        xmlNode* found = nullptr;
        for (xmlNode* child = FirstElement(node); child && !found; child = NextElement(child)) {
            if (!NameIs(child, selector.name)) continue;
            if (!selector.has) {
                found = child;
                continue;
            }
            const std::optional<std::string> value = Attribute(child, selector.attribute.c_str());
            if (value && EqualIgnoringCase(*value, selector.value)) found = child;
        }
        node = found;
    }
    return node;
}

void CopySelected(const xmlNode* source, const xmlNode* request, xmlNode* out) {
    if (!HasElementChildren(request)) {
        for (xmlNode* child = FirstElement(source); child; child = NextElement(child)) {
            xmlAddChild(out, xmlDocCopyNode(child, out->doc, 1));
        }
        return;
    }
    for (const xmlNode* wanted = FirstElement(request); wanted; wanted = NextElement(wanted)) {
        for (xmlNode* child = FirstElement(source); child; child = NextElement(child)) {
            if (!Matches(child, wanted)) continue;
            if (!HasElementChildren(wanted)) {
                xmlAddChild(out, xmlDocCopyNode(child, out->doc, 1));
                continue;
            }
            // Keep the element and its attributes, narrow its content down.
            xmlNode* copy = xmlDocCopyNode(child, out->doc, 2);
            xmlAddChild(out, copy);
            CopySelected(child, wanted, copy);
        }
    }
}

bool MergeValues(xmlNode* target, const xmlNode* request) {
    bool changed = false;
    std::map<std::string, int> seen;
    for (const xmlNode* given = FirstElement(request); given; given = NextElement(given)) {
        xmlNode* mine = Counterpart(target, given, seen[KindKey(given)]++);
        if (!mine) continue;
        if (HasElementChildren(given)) {
            changed |= MergeValues(mine, given);
        } else if (!HasElementChildren(mine)) {
            const std::string value = Text(given);
            if (Text(mine) != value) {
                SetText(mine, value);
                changed = true;
            }
        }
    }
    return changed;
}

}  // namespace merivane::sim::xml
