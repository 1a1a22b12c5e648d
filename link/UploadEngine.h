#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace merivane {

class ProgressSink;
class Transport;

// Where an upload goes on the device.
struct UploadSource {
    std::string localPath;
    bool firmware = false;  // store as "/fw/updatefw.dwl"
    bool mesh = false;      // store under "/WEB/mesh/"
};

// The file name part of a local path (after the last "/").
std::string LocalFileName(const std::string& path);
// The device path an upload is stored under.
std::string UploadDestination(const UploadSource& source);
// Bytes of the next chunk when `remaining` bytes are left: 1024, except that a
// final remainder that is a multiple of 64 goes one byte short, so that the
// last byte travels alone.
size_t UploadChunkSize(size_t remaining);

// The largest file sent (just under 64 MiB): its chunk count plus the handshake
// steps still fits the progress bar's 16-bit range, and a file chosen by mistake
// is not taken into memory and dribbled out for days.
constexpr uint64_t kMaxUploadBytes = (0xFFFF - 10) * 1024ull;

// The payload write pauses this long after every chunk.
constexpr int kUploadChunkPauseMs = 50;

// The link's pace as the upload keeps it: one 1024-byte chunk per pause.
constexpr uint64_t kLinkBytesPerSecond = 1024 * 1000 / kUploadChunkPauseMs;
// The longest wait a transfer's size may ask for: the largest answer the link
// takes in (10,240,000 bytes) carried at that pace, about eight minutes. A
// listed size can be anything a device says; hours of waiting help nobody.
constexpr uint32_t kMaxSizeTimeoutMs = 10240000 / kLinkBytesPerSecond * 1000;
// A time-out derived from a size, held to kMaxSizeTimeoutMs.
uint32_t CapSizeTimeout(uint64_t sizeDerivedMs);

// Uploads one local file: the handshake, the data in chunks, the closing
// exchange. Reports nothing: callers verify the stored file by its digest.
// `finished` is checked before every chunk and set to 1 at the end.
void UploadFile(Transport& transport, const UploadSource& source, ProgressSink* bar,
                std::atomic<int>& finished);

}  // namespace merivane
