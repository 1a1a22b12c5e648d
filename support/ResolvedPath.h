#pragma once

#include <string>

namespace merivane {

// `path` with its links resolved, or as given when that fails (no such file).
std::string ResolvedPath(const std::string& path);

}  // namespace merivane
