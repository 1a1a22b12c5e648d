#include "support/ResolvedPath.h"

#include <filesystem>
#include <system_error>

namespace merivane {

std::string ResolvedPath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::canonical(path, ec);
    return ec ? path : resolved.string();
}

}  // namespace merivane
