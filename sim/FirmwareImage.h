#pragma once

#include <string>
#include <string_view>

namespace merivane::sim {

// What the simulated updaters read out of an uploaded firmware image.
//
// An image names its version with the text "version=" (any case) followed by
// the version itself: letters, digits, ".", "-" and "_", at most 32 of them.
// An image without such a text reports "0.0." and the first eight hex digits
// of its MD5 digest, so every distinct image still gives its own version.
std::string FirmwareVersionOf(std::string_view image);

// The MD5 digest of `bytes` as 32 lower-case hexadecimal characters.
std::string Md5Hex(std::string_view bytes);

}  // namespace merivane::sim
