#pragma once

#include <string>
#include <string_view>

namespace merivane {

// Why `value` cannot be the text of a setting in a document, or empty when it
// can. A document holds UTF-8 text of characters XML 1.0 can carry: no C0
// control other than tab, line feed and carriage return, no U+FFFE or U+FFFF.
// A value the document cannot hold would be written as nothing, and the device
// would lose the setting. `singleLine` refuses line feeds and carriage returns
// too (every field of the pages and the command line is one line).
std::string SettingTextProblem(std::string_view value, bool singleLine);

}  // namespace merivane
