#pragma once

#include <cstdint>
#include <limits>
#include <string>

namespace merivane {

// Files the user names are read only when they are regular files: a folder
// fails in the middle of a read, a FIFO blocks forever and a device such as
// /dev/zero never ends. A size limit keeps a wrongly chosen huge file from
// being taken into memory.
inline constexpr uint64_t kAnyFileSize = std::numeric_limits<uint64_t>::max();

// True when `path` names a regular file this process can open for reading,
// of at most `maxBytes`. Otherwise false, with the reason in `why` (when given),
// worded to follow "cannot be read (" in a message.
bool CanReadRegularFile(const std::string& path, std::string* why = nullptr,
                        uint64_t maxBytes = kAnyFileSize);

// Reads all of such a file into `bytes`; false with the reason as above.
bool ReadRegularFile(const std::string& path, uint64_t maxBytes, std::string& bytes,
                     std::string* why = nullptr);

// True when a saved file may go to `path`: nothing is there yet, or a regular file of
// this user's own that saving replaces. A symbolic link, a device, FIFO, socket or folder,
// or another user's file is never replaced: false, with the reason in `why`, worded to
// follow "cannot be saved to PATH (" in a message.
bool CanSaveTo(const std::string& path, std::string* why = nullptr);

}  // namespace merivane
