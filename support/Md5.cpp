#include "support/Md5.h"

#include <bit>
#include <cstring>

namespace merivane {
namespace {

// Reads the i-th little-endian 32-bit word of a 64-byte block.
inline uint32_t LoadWord(const unsigned char* block, int i) {
    const unsigned char* p = block + 4 * i;
    if constexpr (std::endian::native == std::endian::little) {
        uint32_t word;
        std::memcpy(&word, p, sizeof word);
        return word;
    } else {
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
}

inline void StoreWord(unsigned char* p, uint32_t word) {
    p[0] = static_cast<unsigned char>(word);
    p[1] = static_cast<unsigned char>(word >> 8);
    p[2] = static_cast<unsigned char>(word >> 16);
    p[3] = static_cast<unsigned char>(word >> 24);
}

// The round functions, arranged so that as little work as possible waits for the first
// argument, the word the previous step has just produced: F and I need two operations
// after it, H one. G is a bit select whose two halves never overlap, so it is added as
// two terms and the one without that word is added early (see MD5_STEP_G).
inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return z ^ (x & (y ^ z)); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ (y ^ z); }
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

// One step: a = b + ((a + fn(b, c, d) + word + constant) <<< shift).
#define MD5_STEP(fn, a, b, c, d, word, constant, shift)  \
    do {                                                 \
        (a) += (word) + static_cast<uint32_t>(constant); \
        (a) += fn((b), (c), (d));                        \
        (a) = std::rotl((a), (shift)) + (b);             \
    } while (0)

// The G step, G(b, c, d) = (b & d) | (c & ~d) added as (c & ~d) + (b & d).
#define MD5_STEP_G(a, b, c, d, word, constant, shift)    \
    do {                                                 \
        (a) += (word) + static_cast<uint32_t>(constant); \
        (a) += (c) & ~(d);                               \
        (a) += (b) & (d);                                \
        (a) = std::rotl((a), (shift)) + (b);             \
    } while (0)

// Runs the 64 steps over one 64-byte block.
void Transform(uint32_t state[4], const unsigned char* block) {
    const uint32_t x0 = LoadWord(block, 0), x1 = LoadWord(block, 1), x2 = LoadWord(block, 2),
                   x3 = LoadWord(block, 3), x4 = LoadWord(block, 4), x5 = LoadWord(block, 5),
                   x6 = LoadWord(block, 6), x7 = LoadWord(block, 7), x8 = LoadWord(block, 8),
                   x9 = LoadWord(block, 9), x10 = LoadWord(block, 10), x11 = LoadWord(block, 11),
                   x12 = LoadWord(block, 12), x13 = LoadWord(block, 13), x14 = LoadWord(block, 14),
                   x15 = LoadWord(block, 15);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

    MD5_STEP(F, a, b, c, d, x0, 0xd76aa478, 7);
    MD5_STEP(F, d, a, b, c, x1, 0xe8c7b756, 12);
    MD5_STEP(F, c, d, a, b, x2, 0x242070db, 17);
    MD5_STEP(F, b, c, d, a, x3, 0xc1bdceee, 22);
    MD5_STEP(F, a, b, c, d, x4, 0xf57c0faf, 7);
    MD5_STEP(F, d, a, b, c, x5, 0x4787c62a, 12);
    MD5_STEP(F, c, d, a, b, x6, 0xa8304613, 17);
    MD5_STEP(F, b, c, d, a, x7, 0xfd469501, 22);
    MD5_STEP(F, a, b, c, d, x8, 0x698098d8, 7);
    MD5_STEP(F, d, a, b, c, x9, 0x8b44f7af, 12);
    MD5_STEP(F, c, d, a, b, x10, 0xffff5bb1, 17);
    MD5_STEP(F, b, c, d, a, x11, 0x895cd7be, 22);
    MD5_STEP(F, a, b, c, d, x12, 0x6b901122, 7);
    MD5_STEP(F, d, a, b, c, x13, 0xfd987193, 12);
    MD5_STEP(F, c, d, a, b, x14, 0xa679438e, 17);
    MD5_STEP(F, b, c, d, a, x15, 0x49b40821, 22);

    MD5_STEP_G(a, b, c, d, x1, 0xf61e2562, 5);
    MD5_STEP_G(d, a, b, c, x6, 0xc040b340, 9);
    MD5_STEP_G(c, d, a, b, x11, 0x265e5a51, 14);
    MD5_STEP_G(b, c, d, a, x0, 0xe9b6c7aa, 20);
    MD5_STEP_G(a, b, c, d, x5, 0xd62f105d, 5);
    MD5_STEP_G(d, a, b, c, x10, 0x02441453, 9);
    MD5_STEP_G(c, d, a, b, x15, 0xd8a1e681, 14);
    MD5_STEP_G(b, c, d, a, x4, 0xe7d3fbc8, 20);
    MD5_STEP_G(a, b, c, d, x9, 0x21e1cde6, 5);
    MD5_STEP_G(d, a, b, c, x14, 0xc33707d6, 9);
    MD5_STEP_G(c, d, a, b, x3, 0xf4d50d87, 14);
    MD5_STEP_G(b, c, d, a, x8, 0x455a14ed, 20);
    MD5_STEP_G(a, b, c, d, x13, 0xa9e3e905, 5);
    MD5_STEP_G(d, a, b, c, x2, 0xfcefa3f8, 9);
    MD5_STEP_G(c, d, a, b, x7, 0x676f02d9, 14);
    MD5_STEP_G(b, c, d, a, x12, 0x8d2a4c8a, 20);

    MD5_STEP(H, a, b, c, d, x5, 0xfffa3942, 4);
    MD5_STEP(H, d, a, b, c, x8, 0x8771f681, 11);
    MD5_STEP(H, c, d, a, b, x11, 0x6d9d6122, 16);
    MD5_STEP(H, b, c, d, a, x14, 0xfde5380c, 23);
    MD5_STEP(H, a, b, c, d, x1, 0xa4beea44, 4);
    MD5_STEP(H, d, a, b, c, x4, 0x4bdecfa9, 11);
    MD5_STEP(H, c, d, a, b, x7, 0xf6bb4b60, 16);
    MD5_STEP(H, b, c, d, a, x10, 0xbebfbc70, 23);
    MD5_STEP(H, a, b, c, d, x13, 0x289b7ec6, 4);
    MD5_STEP(H, d, a, b, c, x0, 0xeaa127fa, 11);
    MD5_STEP(H, c, d, a, b, x3, 0xd4ef3085, 16);
    MD5_STEP(H, b, c, d, a, x6, 0x04881d05, 23);
    MD5_STEP(H, a, b, c, d, x9, 0xd9d4d039, 4);
    MD5_STEP(H, d, a, b, c, x12, 0xe6db99e5, 11);
    MD5_STEP(H, c, d, a, b, x15, 0x1fa27cf8, 16);
    MD5_STEP(H, b, c, d, a, x2, 0xc4ac5665, 23);

    MD5_STEP(I, a, b, c, d, x0, 0xf4292244, 6);
    MD5_STEP(I, d, a, b, c, x7, 0x432aff97, 10);
    MD5_STEP(I, c, d, a, b, x14, 0xab9423a7, 15);
    MD5_STEP(I, b, c, d, a, x5, 0xfc93a039, 21);
    MD5_STEP(I, a, b, c, d, x12, 0x655b59c3, 6);
    MD5_STEP(I, d, a, b, c, x3, 0x8f0ccc92, 10);
    MD5_STEP(I, c, d, a, b, x10, 0xffeff47d, 15);
    MD5_STEP(I, b, c, d, a, x1, 0x85845dd1, 21);
    MD5_STEP(I, a, b, c, d, x8, 0x6fa87e4f, 6);
    MD5_STEP(I, d, a, b, c, x15, 0xfe2ce6e0, 10);
    MD5_STEP(I, c, d, a, b, x6, 0xa3014314, 15);
    MD5_STEP(I, b, c, d, a, x13, 0x4e0811a1, 21);
    MD5_STEP(I, a, b, c, d, x4, 0xf7537e82, 6);
    MD5_STEP(I, d, a, b, c, x11, 0xbd3af235, 10);
    MD5_STEP(I, c, d, a, b, x2, 0x2ad7d2bb, 15);
    MD5_STEP(I, b, c, d, a, x9, 0xeb86d391, 21);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

#undef MD5_STEP
#undef MD5_STEP_G

}  // namespace

void Md5Init(Md5Context* context) {
    context->count[0] = 0;
    context->count[1] = 0;
    context->state[0] = 0x67452301;
    context->state[1] = 0xefcdab89;
    context->state[2] = 0x98badcfe;
    context->state[3] = 0x10325476;
}

void Md5Update(Md5Context* context, const void* data, uint32_t count) {
    const unsigned char* input = static_cast<const unsigned char*>(data);
    uint32_t offset = (context->count[0] >> 3) & 0x3f;

    // Add the length in bits to the 64-bit bit count.
    const uint32_t bits = count << 3;
    context->count[0] += bits;
    if (context->count[0] < bits) ++context->count[1];
    context->count[1] += count >> 29;

    const uint32_t room = 64 - offset;
    uint32_t used = 0;
    if (count >= room) {
        std::memcpy(&context->buffer[offset], input, room);
        Transform(context->state, context->buffer);
        for (used = room; count - used >= 64; used += 64) Transform(context->state, input + used);
        offset = 0;
    }
    if (count > used) std::memcpy(&context->buffer[offset], input + used, count - used);
}

void Md5Final(unsigned char digest[16], Md5Context* context) {
    unsigned char bitCount[8];
    StoreWord(bitCount, context->count[0]);
    StoreWord(bitCount + 4, context->count[1]);

    static const unsigned char kPadding[64] = {0x80};
    const uint32_t offset = (context->count[0] >> 3) & 0x3f;
    const uint32_t padLength = offset < 56 ? 56 - offset : 120 - offset;
    Md5Update(context, kPadding, padLength);
    Md5Update(context, bitCount, 8);

    for (int i = 0; i < 4; ++i) StoreWord(digest + 4 * i, context->state[i]);
    // Leave nothing of the message or its state behind.
    std::memset(context, 0, sizeof *context);
}

}  // namespace merivane
