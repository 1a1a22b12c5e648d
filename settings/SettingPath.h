#pragma once

#include <libxml/tree.h>

#include <string>
#include <string_view>
#include <vector>

namespace merivane {

// One "/"-separated component of a setting path: an element name, optionally followed by
// a selector "&attribute=value" that picks the element whose attribute has that value.
struct PathComponent {
    std::string element;
    bool hasSelector = false;
    std::string attribute;
    std::string value;
};

// Splits a setting path into its components. In a component the first "&" starts the
// selector, the first "=" after it ends the attribute name and the rest is the value; a
// component with a "&" but no "=" after it is an element name as a whole.
std::vector<PathComponent> ParseSettingPath(std::string_view path);

// Finds the element a setting path names, starting at `start` (the first component is
// looked for among `start` and its following siblings, each further one among the
// children of the element found before). Names and selector values are compared without
// regard to ASCII case. Only the first element matching name and selector is followed,
// never a later one. A selected element without children ends the search. Returns the
// element taken for the last component, or null when the path does not resolve.
xmlNode* ResolveSettingPath(xmlNode* start, std::string_view path);

}  // namespace merivane
