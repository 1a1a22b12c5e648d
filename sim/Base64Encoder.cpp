#include "sim/Base64Encoder.h"

#include <cstdint>

namespace merivane::sim {

std::string Base64Encode(std::string_view bytes) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    auto byte = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at]));
    };
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t group = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
        out += kAlphabet[group >> 18 & 63];
        out += kAlphabet[group >> 12 & 63];
        out += kAlphabet[group >> 6 & 63];
        out += kAlphabet[group & 63];
    }
    const size_t left = bytes.size() - i;
    if (left > 0) {
        const uint32_t group = byte(i) << 16 | (left == 2 ? byte(i + 1) << 8 : 0);
        out += kAlphabet[group >> 18 & 63];
        out += kAlphabet[group >> 12 & 63];
        out += left == 2 ? kAlphabet[group >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

}  // namespace merivane::sim
