// Base64 content of downloads: never writes past the capacity it announces.
#include "support/Base64.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<unsigned char> out(merivane::Base64Capacity(size));
    const size_t produced = merivane::Base64Decode(text, out.data());
    if (produced > out.size()) __builtin_trap();
    return 0;
}
