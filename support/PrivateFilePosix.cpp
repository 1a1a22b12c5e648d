#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/PrivateFile.h"
#include "support/SaveTarget.h"

namespace merivane {
namespace {

bool Refuse(int fd, std::string* why, std::string reason) {
    if (fd >= 0) ::close(fd);
    if (why != nullptr) *why = std::move(reason);
    return false;
}

// A file already at the path is appended to only when nobody else could have planted or
// read it: a regular file of this user's own, with one name, that no one else may read
// or write.
bool ExistingFileIsPrivate(int fd, std::string* why) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return Refuse(-1, why, std::strerror(errno));
    if (!S_ISREG(info.st_mode)) return Refuse(-1, why, "it is not a regular file");
    if (info.st_uid != ::geteuid()) return Refuse(-1, why, "it belongs to another user");
    if (info.st_nlink != 1) return Refuse(-1, why, "it has more than one name");
    if ((info.st_mode & 066) != 0)
        return Refuse(-1, why, "others may read or write it; make it readable by you only");
    return true;
}

}  // namespace

FILE* OpenPrivateAppend(const std::string& path, std::string* why) {
    // A new file is made here and now, readable by its owner only. A link is never
    // followed, and opening without waiting keeps a FIFO without a reader from blocking
    // the run.
    constexpr int kFlags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    int fd = ::open(path.c_str(), kFlags | O_CREAT | O_EXCL, 0600);
    if (fd < 0 && errno == EEXIST) {
        fd = ::open(path.c_str(), kFlags);
        if (fd < 0 && errno == ELOOP) {
            Refuse(-1, why, kSymbolicLinkReason);
            return nullptr;
        }
        if (fd >= 0 && !ExistingFileIsPrivate(fd, why)) {
            ::close(fd);
            return nullptr;
        }
    }
    if (fd < 0) {
        Refuse(-1, why, std::strerror(errno));
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        Refuse(fd, why, std::strerror(errno));
        return nullptr;
    }
    FILE* file = ::fdopen(fd, "ab");
    if (!file) Refuse(fd, why, std::strerror(errno));
    return file;
}

}  // namespace merivane
