#include "support/Base64.h"

#include <array>
#include <cstdint>

namespace merivane {
namespace {

// Table entries: 0..63 for alphabet characters, kPad for "=", kSkip for the rest.
// Both markers have a bit of 0xC0 set, so four plain values OR-ed together show
// none of those bits.
constexpr uint8_t kPad = 0x40;
constexpr uint8_t kSkip = 0x80;

constexpr std::array<uint8_t, 256> MakeTable() {
    std::array<uint8_t, 256> table{};
    for (auto& entry : table) entry = kSkip;
    constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (uint8_t value = 0; value < 64; ++value) {
        table[static_cast<unsigned char>(kAlphabet[value])] = value;
    }
    table[static_cast<unsigned char>('=')] = kPad;
    return table;
}

constexpr std::array<uint8_t, 256> kTable = MakeTable();

inline void PutGroup(unsigned char* out, uint32_t bits) {
    out[0] = static_cast<unsigned char>(bits >> 16);
    out[1] = static_cast<unsigned char>(bits >> 8);
    out[2] = static_cast<unsigned char>(bits);
}

}  // namespace

size_t Base64Capacity(size_t textLength) {
    return 3 * (textLength / 4 + (textLength % 4 != 0 ? 1 : 0));
}

size_t Base64Decode(std::string_view text, unsigned char* out) {
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const size_t length = text.size();
    size_t pos = 0;
    size_t produced = 0;

    uint32_t group = 0;    // values of the group so far, 6 bits each
    int filled = 0;        // how many values the group holds
    int trailingPads = 0;  // how many of them, counted from its end, are "="

    while (pos < length) {
        // Between groups, whole groups of four alphabet characters go the quick way;
        // they decode exactly as the character-by-character rules below would.
        if (filled == 0) {
            while (length - pos >= 4) {
                const uint32_t a = kTable[in[pos]], b = kTable[in[pos + 1]],
                               c = kTable[in[pos + 2]], d = kTable[in[pos + 3]];
                if ((a | b | c | d) & (kPad | kSkip)) break;
                PutGroup(out + produced, a << 18 | b << 12 | c << 6 | d);
                produced += 3;
                pos += 4;
            }
            if (pos == length) break;
        }

        const uint8_t value = kTable[in[pos++]];
        if (value == kSkip) continue;
        if (value == kPad) {
            group <<= 6;
            ++trailingPads;
        } else {
            group = group << 6 | value;
            trailingPads = 0;
        }
        if (++filled < 4) continue;

        PutGroup(out + produced, group);
        if (trailingPads == 0) {
            produced += 3;
        } else {
            // One "=" leaves two bytes, two leave one; three or four keep all three.
            produced += trailingPads == 1 ? 2 : trailingPads == 2 ? 1 : 3;
            break;
        }
        group = 0;
        filled = 0;
    }
    return produced;
}

std::string Base64DecodeToString(std::string_view text) {
    std::string bytes(Base64Capacity(text.size()), '\0');
    bytes.resize(Base64Decode(text, reinterpret_cast<unsigned char*>(bytes.data())));
    return bytes;
}

}  // namespace merivane
