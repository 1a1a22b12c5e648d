#include "settings/SettingPath.h"

#include "settings/ElementSearch.h"
#include "settings/XmlText.h"
#include "support/TextRules.h"

namespace merivane {

namespace {

PathComponent ParseComponent(std::string_view text) {
    PathComponent component;
    const size_t amp = text.find('&');
    const size_t eq = amp == std::string_view::npos ? amp : text.find('=', amp + 1);
    if (eq == std::string_view::npos) {
        component.element = text;
        return component;
    }
    component.element = text.substr(0, amp);
    component.hasSelector = true;
    component.attribute = text.substr(amp + 1, eq - amp - 1);
    component.value = text.substr(eq + 1);
    return component;
}

bool SelectorMatches(const xmlNode* element, const PathComponent& component) {
    std::string actual;
    return AttributeText(element, component.attribute.c_str(), actual) &&
           EqualsIgnoringCase(actual, component.value);
}

// The element `component` takes among `current` and its following siblings; null when
// there is none or when the selected element is empty.
xmlNode* TakeElement(xmlNode* current, const PathComponent& component) {
    for (xmlNode* node = FindElementFrom(current, kElementNodeType, component.element);
         node != nullptr; node = FindNextElement(node, kElementNodeType, component.element)) {
        if (!component.hasSelector) return node;
        if (SelectorMatches(node, component)) return node->children != nullptr ? node : nullptr;
    }
    return nullptr;
}

}  // namespace

std::vector<PathComponent> ParseSettingPath(std::string_view path) {
    std::vector<PathComponent> components;
    size_t begin = 0;
    while (true) {
        const size_t slash = path.find('/', begin);
        components.push_back(ParseComponent(path.substr(begin, slash - begin)));
        if (slash == std::string_view::npos) break;
        begin = slash + 1;
    }
    return components;
}

xmlNode* ResolveSettingPath(xmlNode* start, std::string_view path) {
    xmlNode* current = start;
    xmlNode* taken = nullptr;
    for (const PathComponent& component : ParseSettingPath(path)) {
        if (taken != nullptr) current = taken->children;
        if (current == nullptr) return nullptr;
        taken = TakeElement(current, component);
        if (taken == nullptr) return nullptr;
    }
    return taken;
}

}  // namespace merivane
