#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace merivane {

// Room the decoding of a text of `textLength` characters needs: 3 bytes for every
// started group of 4 characters.
size_t Base64Capacity(size_t textLength);

// Decodes Base64 `text` into `out`, which has room for Base64Capacity(text.size())
// bytes, and returns the number of bytes produced.
//
// Characters of the standard alphabet give their values; "=" gives the value 0 and
// counts as padding; every other character is skipped. Each four values give three
// bytes, except that a group ending in exactly one "=" gives two and one ending in
// exactly two gives one. Decoding stops after any group that ends in "="; an "="
// followed by other values in its group is just a 0. Values that do not fill a last
// group give nothing.
size_t Base64Decode(std::string_view text, unsigned char* out);

// Base64Decode into a string of the bytes produced.
std::string Base64DecodeToString(std::string_view text);

}  // namespace merivane
