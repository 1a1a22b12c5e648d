#pragma once

#include <cstdio>
#include <string>

namespace merivane {

// Opens `path` for appending in binary mode, creating it readable and writable
// by its owner only; a file already there is appended to only when it is
// private to this user. Null, with the reason in `why` (worded to follow
// "cannot be written ("), otherwise. For files that record passwords and the
// SIM PIN, such as the command log.
FILE* OpenPrivateAppend(const std::string& path, std::string* why = nullptr);

}  // namespace merivane
