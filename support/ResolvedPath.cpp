#include "support/ResolvedPath.h"

#include <cstdlib>

namespace merivane {

std::string ResolvedPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return path;
    const std::string resolved = real;
    std::free(real);
    return resolved;
}

}  // namespace merivane
