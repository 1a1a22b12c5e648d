#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "support/RegularFile.h"

namespace merivane {
namespace {

namespace fs = std::filesystem;

bool Fail(std::string* why, const std::string& reason) {
    if (why != nullptr) *why = reason;
    return false;
}

std::string Reason(const std::error_code& ec) { return ec.message(); }

// Windows has no FIFOs or device files among the user's files; folders and
// links are what a wrong choice may name.
bool CheckRegularFile(const std::string& path, uint64_t maxBytes, uint64_t& size,
                      std::string* why) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec) return Fail(why, Reason(ec));
    if (!fs::is_regular_file(status)) return Fail(why, "it is not a regular file");
    size = fs::file_size(path, ec);
    if (ec) return Fail(why, Reason(ec));
    if (size > maxBytes)
        return Fail(why, "it holds more than " + std::to_string(maxBytes) + " bytes");
    return true;
}

}  // namespace

bool CanReadRegularFile(const std::string& path, std::string* why, uint64_t maxBytes) {
    uint64_t size = 0;
    if (!CheckRegularFile(path, maxBytes, size, why)) return false;
    std::ifstream in(path, std::ios::binary);
    return in ? true : Fail(why, std::strerror(errno));
}

bool ReadRegularFile(const std::string& path, uint64_t maxBytes, std::string& bytes,
                     std::string* why) {
    bytes.clear();
    uint64_t size = 0;
    if (!CheckRegularFile(path, maxBytes, size, why)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail(why, std::strerror(errno));
    bytes.reserve(static_cast<size_t>(size));
    char buffer[64 * 1024];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        // The file may have grown since it was measured.
        if (bytes.size() + static_cast<size_t>(in.gcount()) > maxBytes) {
            bytes.clear();
            return Fail(why, "it holds more than " + std::to_string(maxBytes) + " bytes");
        }
        bytes.append(buffer, static_cast<size_t>(in.gcount()));
    }
    if (in.bad()) {
        bytes.clear();
        return Fail(why, "it could not be read to its end");
    }
    return true;
}

bool CanSaveTo(const std::string& path, std::string* why) {
    std::error_code ec;
    const fs::path target(path);
    if (target.filename().empty() || target.filename() == "." || target.filename() == "..")
        return Fail(why, "it is a folder");
    const fs::file_status status = fs::symlink_status(target, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) return Fail(why, Reason(ec));
    if (!fs::exists(status)) {
        const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
        if (!fs::is_directory(folder, ec)) return Fail(why, std::strerror(ENOENT));
        return true;
    }
    if (fs::is_symlink(status)) return Fail(why, "it is a symbolic link; give the file itself");
    if (fs::is_directory(status)) return Fail(why, "it is a folder");
    if (!fs::is_regular_file(status)) return Fail(why, "it is not a regular file");
    return true;
}

}  // namespace merivane
