#include "sim/FirmwareImage.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "support/Md5.h"

namespace merivane::sim {

std::string Md5Hex(std::string_view bytes) {
    Md5Context context;
    Md5Init(&context);
    while (!bytes.empty()) {
        const size_t piece = std::min<size_t>(bytes.size(), 1u << 30);
        Md5Update(&context, bytes.data(), static_cast<uint32_t>(piece));
        bytes.remove_prefix(piece);
    }
    unsigned char digest[16];
    Md5Final(digest, &context);
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : digest) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

std::string FirmwareVersionOf(std::string_view image) {
    constexpr std::string_view kMarker = "version=";
    constexpr size_t kMaxLength = 32;
    auto isVersionChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
    };
    const auto at = std::search(
        image.begin(), image.end(), kMarker.begin(), kMarker.end(),
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    if (at != image.end()) {
        std::string version;
        for (auto it = at + static_cast<long>(kMarker.size());
             it != image.end() && isVersionChar(*it) && version.size() < kMaxLength; ++it) {
            version += *it;
        }
        if (!version.empty()) return version;
    }
    return "0.0." + Md5Hex(image).substr(0, 8);
}

}  // namespace merivane::sim
