#pragma once

#include <string>
#include <string_view>

namespace merivane {

// The leading decimal integer of a text, read as C's atoi reads it (leading
// white space, an optional sign, digits; no number gives 0), but held
// at the int range instead of overflowing.
int LeadingInteger(std::string_view text);

// `text` without any occurrence of `piece`.
std::string RemoveAll(std::string_view text, std::string_view piece);

// `text` without any of the characters in `characters`.
std::string RemoveChars(std::string_view text, std::string_view characters);

// How many characters a UTF-8 text shows (continuation bytes are not counted),
// for lining up columns on a terminal.
size_t CharacterCount(std::string_view utf8);

// True when `a` and `b` are equal ignoring ASCII case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace merivane
