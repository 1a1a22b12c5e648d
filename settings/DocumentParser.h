#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/XmlDocPtr.h"

namespace merivane {

// Deepest element nesting a document may have; deeper documents are refused.
inline constexpr int kMaxElementDepth = 256;

// The part of `text` from its first "<" to its last ">", both included; empty when the
// text has no "<" or no ">" after it. Device answers carry status lines and other text
// around their document.
std::string_view CutToMarkup(std::string_view text);

// Parses `text` as one XML document named `name`. The parse never reaches the network,
// never substitutes entities and never loads a DTD. Refused, and so reported as "did not
// parse" (null): text that is not well-formed, a document that declares entities in its
// document type (the way to blow a few bytes up into gigabytes), and a document nested
// deeper than kMaxElementDepth. Parse errors are not printed.
XmlDocPtr ParseDocumentText(std::string_view text, const char* name);

// Parses the document inside a device answer: CutToMarkup, then ParseDocumentText.
XmlDocPtr ParseAnswerDocument(std::string_view answer, const char* name);

// Reads the file at `path` and parses it like ParseDocumentText; null when the file
// is not a regular file, holds more than `maxBytes`, cannot be read or does not parse.
XmlDocPtr ParseDocumentFile(const std::string& path, uint64_t maxBytes);

}  // namespace merivane
