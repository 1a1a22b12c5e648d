#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/Base64.h"

namespace merivane {
namespace {

const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Encode(const std::string& bytes) {
    std::string text;
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t v = uint32_t(uint8_t(bytes[i])) << 16 |
                           uint32_t(uint8_t(bytes[i + 1])) << 8 | uint8_t(bytes[i + 2]);
        for (int shift = 18; shift >= 0; shift -= 6) text += kAlphabet[(v >> shift) & 63];
    }
    if (i < bytes.size()) {
        uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
        if (i + 1 < bytes.size()) v |= uint32_t(uint8_t(bytes[i + 1])) << 8;
        text += kAlphabet[v >> 18];
        text += kAlphabet[(v >> 12) & 63];
        text += i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}

// The decoding rules one character at a time, with no shortcuts.
std::string ReferenceDecode(const std::string& text) {
    std::string bytes;
    std::vector<int> values;
    int pads = 0;
    for (char ch : text) {
        const size_t found = kAlphabet.find(ch);
        if (ch == '=') {
            values.push_back(0);
            ++pads;
        } else if (found != std::string::npos) {
            values.push_back(static_cast<int>(found));
            pads = 0;
        } else {
            continue;
        }
        if (values.size() < 4) continue;
        const uint32_t v = values[0] << 18 | values[1] << 12 | values[2] << 6 | values[3];
        const int keep = pads == 1 ? 2 : pads == 2 ? 1 : 3;
        for (int k = 0; k < keep; ++k) bytes += static_cast<char>(v >> (16 - 8 * k));
        if (pads > 0) break;
        values.clear();
    }
    return bytes;
}

std::string WithLineBreaks(const std::string& text, size_t width, const std::string& brk) {
    std::string out;
    for (size_t at = 0; at < text.size(); at += width) out += text.substr(at, width) + brk;
    return out;
}

// Decodes into a buffer of exactly the promised capacity, followed by guard bytes
// that must survive.
std::string CheckedDecode(const std::string& text) {
    const size_t capacity = Base64Capacity(text.size());
    std::vector<unsigned char> out(capacity + 16, 0xA5);
    const size_t produced = Base64Decode(text, out.data());
    EXPECT_LE(produced, capacity);
    for (size_t i = capacity; i < out.size(); ++i) {
        EXPECT_EQ(out[i], 0xA5) << "written past the capacity at " << i;
    }
    return std::string(reinterpret_cast<const char*>(out.data()), produced);
}

TEST(Base64Test, CapacityIsThreeBytesPerStartedGroup) {
    const std::vector<std::pair<size_t, size_t>> cases = {{0, 0}, {1, 3}, {3, 3}, {4, 3},
                                                          {5, 6}, {8, 6}, {9, 9}, {78, 60}};
    for (const auto& [length, capacity] : cases) {
        EXPECT_EQ(Base64Capacity(length), capacity) << length;
    }
}

TEST(Base64Test, DecodesByTheRules) {
    using namespace std::string_literals;
    const std::vector<std::pair<std::string, std::string>> cases = {
        // RFC 4648 test vectors.
        {"", ""},
        {"Zg==", "f"},
        {"Zm8=", "fo"},
        {"Zm9v", "foo"},
        {"Zm9vYg==", "foob"},
        {"Zm9vYmE=", "fooba"},
        {"Zm9vYmFy", "foobar"},
        {"QUJD", "ABC"},
        {"QUI=", "AB"},
        // Decoding ends after a group that ends in "=".
        {"QQ==QUJD", "A"},
        {"QUI=QUJD", "AB"},
        // Three or four "=" keep all three bytes.
        {"Q===", "@\0\0"s},
        {"====QUJD", "\0\0\0"s},
        // "=" followed by other values is only a zero.
        {"QU=DQUJD", "A@\003ABC"},
        {"Q=I=", "@\x02"},
        {"=UJD", "\001BC"},
        // Everything outside the alphabet is skipped, inside groups too.
        {" Q U\tJ\nD!", "ABC"},
        {"QUJD\r\nQUJD", "ABCABC"},
        {"Q\x80U\xffJ-D_", "ABC"},
        {"QQ\r\n=\r\n=QUJD", "A"},
        {"\0QUJD"s, "ABC"},
        // Values that do not fill a group give nothing.
        {"QUJDQU", "ABC"},
        {"QUI", ""},
        {"Q", ""},
        {"==", ""},
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(CheckedDecode(text), bytes) << '"' << text << '"';
        EXPECT_EQ(Base64DecodeToString(text), bytes) << '"' << text << '"';
    }
}

TEST(Base64Test, LineBreaksEvery76CharactersChangeNothing) {
    std::mt19937 random(1068);
    for (size_t size : {0, 1, 2, 56, 57, 58, 1000, 4096}) {
        std::string bytes(size, '\0');
        for (auto& b : bytes) b = static_cast<char>(random());
        const std::string text = Encode(bytes);
        EXPECT_EQ(CheckedDecode(text), bytes) << size;
        EXPECT_EQ(CheckedDecode(WithLineBreaks(text, 76, "\n")), bytes) << size;
        EXPECT_EQ(CheckedDecode(WithLineBreaks(text, 76, "\r\n")), bytes) << size;
    }
}

TEST(Base64Test, AgreesWithCharacterByCharacterDecodingOnRandomText) {
    std::mt19937 random(41);
    // Mostly alphabet characters, so runs for the four-at-a-time path form and are
    // broken at every possible position by padding, line breaks and other bytes.
    const std::string others = "=\r\n \t*-_.\x80\xff";
    for (int round = 0; round < 20000; ++round) {
        const size_t length = random() % 64;
        const unsigned rate = 1 + random() % 30;  // one other character in `rate`
        std::string text;
        for (size_t i = 0; i < length; ++i) {
            if (random() % rate == 0) {
                text += others[random() % others.size()];
            } else {
                text += kAlphabet[random() % 64];
            }
        }
        ASSERT_EQ(CheckedDecode(text), ReferenceDecode(text)) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace merivane
