#pragma once

#include <string>

namespace merivane {

// True when `path` names a regular file this process can open for reading. Otherwise
// false, with the reason in words of the system in `why` (when given).
bool CanReadRegularFile(const std::string& path, std::string* why = nullptr);

}  // namespace merivane
