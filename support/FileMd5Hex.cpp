#include "support/FileMd5Hex.h"

#include <cstdio>
#include <memory>

#include "support/Md5.h"

namespace merivane {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Size of the stdio buffer: the file is read from the system in pieces this large,
// which keeps the number of system calls low although the digest takes 1 KiB at a time.
constexpr size_t kStreamBufferSize = 64 * 1024;

}  // namespace

char* FileMd5Hex(const char* path, char* buffer, size_t size) {
    if (size < kMd5HexSize) return nullptr;

    // Declared before the file so that it outlives the stream that uses it.
    char streamBuffer[kStreamBufferSize];
    FilePtr file(std::fopen(path, "rb"));
    if (!file) return nullptr;
    std::setvbuf(file.get(), streamBuffer, _IOFBF, sizeof streamBuffer);

    Md5Context context;
    Md5Init(&context);
    unsigned char block[1024];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) {
        Md5Update(&context, block, static_cast<uint32_t>(got));
    }
    unsigned char digest[16];
    Md5Final(digest, &context);
    const bool failed = std::ferror(file.get()) != 0;
    file.reset();
    if (failed) return nullptr;

    static const char kHexDigits[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i) {
        buffer[2 * i] = kHexDigits[digest[i] >> 4];
        buffer[2 * i + 1] = kHexDigits[digest[i] & 0x0f];
    }
    buffer[32] = '\0';
    return buffer;
}

bool FileMd5Hex(const std::string& path, std::string& hex) {
    char text[kMd5HexSize];
    if (!FileMd5Hex(path.c_str(), text, sizeof text)) {
        hex.clear();
        return false;
    }
    hex.assign(text, kMd5HexSize - 1);
    return true;
}

}  // namespace merivane
