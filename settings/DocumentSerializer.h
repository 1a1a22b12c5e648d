#pragma once

#include <libxml/tree.h>

#include <string>
#include <string_view>

namespace merivane {

// The text of `doc` as the device takes a request: the XML library's dump of the whole
// document without its XML declaration (whatever its length) or anything else before the
// root element, without the final line end, with every attribute value delimited by
// single quotes. A double quote in text content goes as "&quot;" and a single quote in
// an attribute value as "&apos;", so that the quote change touches only the delimiters;
// comments and CDATA sections go unchanged. Empty for a null document or one without a
// root element.
std::string SerializeForSending(xmlDoc* doc);

// The text of `doc` as the XML library saves it to a file: the declaration, then the
// document, ending in a line end. Empty for a null document.
std::string DocumentFileText(xmlDoc* doc);

// The quote rewrite on its own, applied to a dump of a document: returns the text from
// the root element's start tag on, rewritten as described above.
std::string RewriteDumpForSending(std::string_view dump);

}  // namespace merivane
