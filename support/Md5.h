#pragma once

#include <cstdint>

namespace merivane {

// Running state of one MD5 digest (RFC 1321).
struct Md5Context {
    uint32_t state[4];         // chaining words A, B, C, D
    uint32_t count[2];         // message length in bits, low word first
    unsigned char buffer[64];  // input bytes not yet transformed (fewer than 64)
};

// Prepares a context for a new message.
void Md5Init(Md5Context* context);
// Adds `count` bytes to the message; any number of calls with any counts, 0 included.
void Md5Update(Md5Context* context, const void* data, uint32_t count);
// Finishes the message, writes the 16 digest bytes and clears the whole context.
void Md5Final(unsigned char digest[16], Md5Context* context);

}  // namespace merivane
