#include "support/ReplacementFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <random>

#include "support/RegularFile.h"

namespace merivane {
namespace {

constexpr int kNameAttempts = 100;
// As many links as the system follows in one path before it gives up with ELOOP.
constexpr int kLinkHops = 40;

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string InFolder(const std::string& folder, const std::string& name) {
    return folder + (folder == "/" ? "" : "/") + name;
}

// The file that writing to `path` reaches: the end of its chain of symbolic links, also
// when that file does not exist yet. Renaming over the link itself would put a regular
// file in its place and leave the file it points to as it was.
bool FollowLinks(std::string path, std::string& file, int& error) {
    for (int hop = 0; hop < kLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            file = path;
            return true;
        }
        char link[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), link, sizeof link);
        if (n < 0 || static_cast<size_t>(n) == sizeof link) {
            error = n < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        const std::string to(link, static_cast<size_t>(n));
        path = !to.empty() && to.front() == '/' ? to : InFolder(FolderOf(path), to);
    }
    error = ELOOP;
    return false;
}

// A hidden name in `folder` that no other file has: ".merivane-XXXXXXXX.part". It does not
// grow with the target's name, which may already be as long as a name can be.
int CreateTemporary(const std::string& folder, mode_t mode, std::string& path) {
    std::random_device entropy;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".merivane-%08x.part", static_cast<unsigned>(entropy()));
        path = InFolder(folder, name);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Flushes the folder's entries, so that a rename in it survives a power loss. Only as far
// as the system allows: some file systems cannot flush a folder (EINVAL), and the rename
// has happened either way.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

ReplacementFile::ReplacementFile(std::string target, mode_t newFileMode)
    : target_(std::move(target)), newFileMode_(newFileMode) {}

ReplacementFile::~ReplacementFile() { Discard(); }

bool ReplacementFile::Fail(int error) {
    error_ = std::strerror(error);
    Discard();
    return false;
}

bool ReplacementFile::Write(std::string_view bytes) {
    Discard();
    error_.clear();
    file_.clear();
    if (BaseOf(target_).empty()) return Fail(EISDIR);
    int error = 0;
    std::string file;
    if (!FollowLinks(target_, file, error)) return Fail(error);
    struct stat existing {};
    if (::stat(file.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) return Fail(EISDIR);
    // A device, FIFO or socket is never replaced by a saved file (think of /dev/null).
    if (std::string why; !CanSaveTo(file, &why)) {
        error_ = why;
        return false;
    }

    std::string path;
    const int fd = CreateTemporary(FolderOf(file), newFileMode_, path);
    if (fd < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    temporary_ = path;
    file_ = file;
    bool ok = true;
    if (S_ISREG(existing.st_mode) && ::fchmod(fd, existing.st_mode & 07777) != 0) {
        ok = false;
        error = errno;
    }
    if (ok && (!WriteAll(fd, bytes) || ::fsync(fd) != 0)) {
        ok = false;
        error = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    return ok ? true : Fail(error);
}

bool ReplacementFile::Commit() {
    if (temporary_.empty()) {
        error_ = std::strerror(ENOENT);
        return false;
    }
    if (::rename(temporary_.c_str(), file_.c_str()) != 0) return Fail(errno);
    temporary_.clear();
    SyncFolder(FolderOf(file_));
    return true;
}

void ReplacementFile::Discard() {
    if (temporary_.empty()) return;
    ::unlink(temporary_.c_str());
    temporary_.clear();
}

}  // namespace merivane
