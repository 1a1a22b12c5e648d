#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/SaveTarget.h"

namespace merivane {
namespace {

bool Fail(std::string* why, const std::string& reason) {
    if (why != nullptr) *why = reason;
    return false;
}

}  // namespace

SavePlace SplitSavePath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

int OpenSaveFolder(const std::string& folder) {
    return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

bool SaveTargetAllowed(int folder, const std::string& name, struct stat& existing,
                       std::string* why) {
    existing = {};
    if (name.empty() || name == "." || name == "..") return Fail(why, "it is a folder");
    if (::fstatat(folder, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0) {
        existing = {};
        if (errno == ENOENT) return true;
        return Fail(why, std::strerror(errno));
    }
    if (S_ISLNK(existing.st_mode)) return Fail(why, kSymbolicLinkReason);
    if (S_ISDIR(existing.st_mode)) return Fail(why, "it is a folder");
    if (!S_ISREG(existing.st_mode))
        return Fail(
            why, "it is not a regular file but a device, FIFO or socket, which is never replaced");
    if (existing.st_uid != ::geteuid())
        return Fail(why, "the file there belongs to another user; choose another name");
    return true;
}

}  // namespace merivane
