#pragma once

#include <cstddef>
#include <string>

namespace merivane {

// Length of the text FileMd5Hex writes: 32 lower-case hexadecimal characters and a NUL.
inline constexpr size_t kMd5HexSize = 33;

// Writes the MD5 digest of the whole file at `path` into `buffer` as 32 lower-case
// hexadecimal characters and a NUL, and returns `buffer`. Returns null, leaving the
// buffer untouched, when `size` is below 33, when the file cannot be opened, or when
// reading it stops with an error (a digest of part of a file must never pass as the
// digest of the file).
char* FileMd5Hex(const char* path, char* buffer, size_t size);

// The same digest as a std::string. On failure returns false and empties `hex`, so a
// stale value can never be compared as if it were this file's digest.
bool FileMd5Hex(const std::string& path, std::string& hex);

}  // namespace merivane
