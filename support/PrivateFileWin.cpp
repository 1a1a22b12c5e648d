#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "support/PrivateFile.h"

namespace merivane {

// Windows has no owner-only mode bits: a file made in the user's own profile
// (where the tool runs and saves by default) inherits the profile's ACL, which
// grants the user, SYSTEM and the administrators and nobody else. That default
// is what keeps the file private here; a folder shared with others keeps its
// own, wider ACL, as any program's files there do.
FILE* OpenPrivateAppend(const std::string& path, std::string* why) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (std::filesystem::is_symlink(status)) {
        if (why) *why = "it is a symbolic link; give the file itself";
        return nullptr;
    }
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        if (why) *why = "it is not a regular file";
        return nullptr;
    }
    const int fd =
        ::_open(path.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT,
                _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        if (why) *why = std::strerror(errno);
        return nullptr;
    }
    FILE* file = ::_fdopen(fd, "ab");
    if (!file) {
        if (why) *why = std::strerror(errno);
        ::_close(fd);
    }
    return file;
}

}  // namespace merivane
