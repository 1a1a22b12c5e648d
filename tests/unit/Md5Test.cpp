#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/FileMd5Hex.h"
#include "support/Md5.h"
#include "support/TempDir.h"

namespace merivane {
namespace {

std::string Hex(const unsigned char digest[16]) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < 16; ++i) {
        text += kDigits[digest[i] >> 4];
        text += kDigits[digest[i] & 0x0f];
    }
    return text;
}

// Digest of `data` fed to Md5Update in pieces of `piece` bytes (0: all at once).
std::string DigestOf(const std::string& data, size_t piece = 0) {
    Md5Context context;
    Md5Init(&context);
    if (piece == 0) piece = data.size() + 1;
    for (size_t at = 0; at < data.size(); at += piece) {
        const size_t n = std::min(piece, data.size() - at);
        Md5Update(&context, data.data() + at, static_cast<uint32_t>(n));
        Md5Update(&context, data.data(), 0);
    }
    unsigned char digest[16];
    Md5Final(digest, &context);
    return Hex(digest);
}

// Bytes that repeat neither within a block nor at the read-buffer size.
std::string Pattern(size_t size) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 31 + 7) % 251);
    return data;
}

struct Vector {
    std::string message;
    const char* digest;
};

// The RFC 1321 test suite.
const std::vector<Vector> kRfcSuite = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"1234567890123456789012345678901234567890123456789012345678901234567890123456789"
     "0",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

// Pattern() of block, padding and read-buffer boundary sizes, digested by md5sum.
const std::vector<Vector> kBoundaries = {
    {Pattern(55), "d39f7454bbe034082797e66c125a31ad"},
    {Pattern(56), "8e9dbcce67719f0304ad52c59ff3d743"},
    {Pattern(63), "19a31d9b1afbd6867266fd6cf4c8821f"},
    {Pattern(64), "8d9cfa334d4e690843fa68e59c798b84"},
    {Pattern(65), "72d8b171f7f46898ee558ad1a86fb907"},
    {Pattern(1023), "184b34b08bbb6b06f914e59a579c2a7b"},
    {Pattern(1024), "5121b74d11d0ad611a246b4137993844"},
    {Pattern(1025), "35b02546e34868e7b75dab8c43d47c36"},
    {Pattern(4096), "5ce632ed79ee7f3783502778dde1dbc5"},
    {Pattern(65537), "38708aed1ecdbc550d8de92139247363"},
};

// Writes `data` as the file `name` in `dir` and returns its path.
std::string WriteFile(const test::TempDir& dir, const std::string& name, const std::string& data) {
    const std::string path = dir.File(name);
    test::WriteWholeFile(path, data);
    return path;
}

TEST(Md5Test, KnownDigestsInOnePieceAndInOddPieces) {
    std::vector<Vector> all = kRfcSuite;
    all.insert(all.end(), kBoundaries.begin(), kBoundaries.end());
    all.push_back({std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21"});
    for (const auto& v : all) {
        SCOPED_TRACE("message of " + std::to_string(v.message.size()) + " bytes");
        EXPECT_EQ(DigestOf(v.message), v.digest);
        for (size_t piece : {1, 3, 55, 63, 64, 65, 1000}) {
            EXPECT_EQ(DigestOf(v.message, piece), v.digest) << "pieces of " << piece;
        }
    }
}

TEST(Md5Test, FinalClearsTheWholeContext) {
    Md5Context context;
    Md5Init(&context);
    Md5Update(&context, "some bytes that stay in the buffer", 34);
    unsigned char digest[16];
    Md5Final(digest, &context);
    Md5Context zero;
    std::memset(&zero, 0, sizeof zero);
    EXPECT_EQ(std::memcmp(&context, &zero, sizeof context), 0);
}

TEST(Md5Test, BitCountCarriesIntoTheHighWord) {
    Md5Context context;
    Md5Init(&context);
    context.count[0] = 0xFFFFFE00u;  // a whole number of blocks, 512 bits short of 2^32
    const std::string block = Pattern(64);
    Md5Update(&context, block.data(), 64);
    EXPECT_EQ(context.count[0], 0u);
    EXPECT_EQ(context.count[1], 1u);
    Md5Update(&context, block.data(), 3);
    EXPECT_EQ(context.count[0], 24u);
    EXPECT_EQ(context.count[1], 1u);
}

TEST(FileMd5HexTest, FilesYieldTheirDigestsInLowerCase) {
    test::TempDir dir;
    std::vector<Vector> all = kRfcSuite;
    all.insert(all.end(), kBoundaries.begin(), kBoundaries.end());
    int index = 0;
    for (const auto& v : all) {
        SCOPED_TRACE("file of " + std::to_string(v.message.size()) + " bytes");
        const std::string path = WriteFile(dir, "f" + std::to_string(index++), v.message);
        char buffer[kMd5HexSize];
        std::memset(buffer, 'x', sizeof buffer);
        ASSERT_EQ(FileMd5Hex(path.c_str(), buffer, sizeof buffer), buffer);
        EXPECT_EQ(buffer[32], '\0');
        EXPECT_EQ(std::string(buffer), v.digest);

        std::string hex;
        EXPECT_TRUE(FileMd5Hex(path, hex));
        EXPECT_EQ(hex, v.digest);
    }
}

TEST(FileMd5HexTest, BufferSizeBelow33IsRefusedAndLeftUntouched) {
    test::TempDir dir;
    const std::string path = WriteFile(dir, "abc", "abc");
    char buffer[40];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(FileMd5Hex(path.c_str(), buffer, 32), nullptr);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(40, 'x'));

    // A larger buffer gets the 33 bytes and nothing beyond them.
    ASSERT_EQ(FileMd5Hex(path.c_str(), buffer, sizeof buffer), buffer);
    EXPECT_EQ(std::string(buffer), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(std::string(buffer + 33, 7), std::string(7, 'x'));
}

TEST(FileMd5HexTest, UnreadableFilesGiveNoDigest) {
    test::TempDir dir;
    // A missing file cannot be opened; a directory opens but every read fails. A digest of
    // the bytes read before the failure must not pass for the file's digest.
    for (const std::string& path : {dir.File("missing"), dir.Path().string()}) {
        SCOPED_TRACE(path);
        char buffer[kMd5HexSize];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(FileMd5Hex(path.c_str(), buffer, sizeof buffer), nullptr);
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, 'x'));

        std::string hex = "d41d8cd98f00b204e9800998ecf8427e";
        EXPECT_FALSE(FileMd5Hex(path, hex));
        EXPECT_EQ(hex, "");
    }
}

}  // namespace
}  // namespace merivane
