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

// A get_file answer made to name `path` as the file it carries. False when `body` is
// no file answer.
bool RenameFetchedFile(std::string& body, const std::string& path);

// A file list answer without the entry of the file `name`. False when it has none.
bool LeaveOutOfList(std::string& body, const std::string& name);

// A get_file answer whose file carries `extra` more bytes than the stored one. False when
// `body` is no file answer.
bool LengthenFetchedFile(std::string& body, size_t extra);

// A full settings answer with further operations beside its settings (a factory reset, a
// file removal) and, after the document, a comment holding a second command line. False
// when `body` is no settings answer.
bool AddForeignOperations(std::string& body);

// A value meant to attack the terminal that shows it: an OSC 52 clipboard write, a title
// change, screen clearing, a raw C1 CSI, a right-to-left override and a line feed that
// would forge a line of its own.
inline constexpr char kHostileText[] =
    "35693\x1b]52;c;cHduZWQ=\x07\x1b]0;owned\x07\x1b[2J\xc2\x9b"
    "2J\xe2\x80\xae"
    "803\nimsi: 001019999999999";

// More than kHugeAnswerBytes of console-like filler text, put in front of an
// answer by the "huge" fault.
std::string HugeFiller();
inline constexpr size_t kHugeAnswerBytes = 10 * 1024 * 1024 + 512 * 1024;

}  // namespace merivane::sim
