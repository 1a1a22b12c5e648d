#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace merivane::sim {

// `body` made unparsable as XML: the document is cut in the middle of an
// element and left with a tag that never closes (a body without a document
// becomes the start of one).
std::string BrokenXml(std::string_view body);

// `body` with one changed byte in the file content of a get_file answer: the
// first Base64 character of its data element is replaced by another one, so
// the text still decodes but to different bytes. False when the body carries
// no file content.
bool CorruptFileContent(std::string& body);

// More than kHugeAnswerBytes of console-like filler text, put in front of an
// answer by the "huge" fault.
std::string HugeFiller();
inline constexpr size_t kHugeAnswerBytes = 10 * 1024 * 1024 + 512 * 1024;

}  // namespace merivane::sim
