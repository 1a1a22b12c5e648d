#include "app/ReplacementFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace merivane {
namespace {

constexpr int kNameAttempts = 100;

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A hidden name beside the target that no other file has: ".name.XXXXXXXX.part".
int CreateTemporary(const std::string& target, std::string& path) {
    std::random_device entropy;
    const std::string folder = FolderOf(target);
    const std::string stem = folder + (folder == "/" ? "" : "/") + "." + BaseOf(target) + ".";
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(entropy()));
        path = stem + tag + ".part";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
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

ReplacementFile::ReplacementFile(std::string target) : target_(std::move(target)) {}

ReplacementFile::~ReplacementFile() { Discard(); }

bool ReplacementFile::Fail(int error) {
    error_ = std::strerror(error);
    Discard();
    return false;
}

bool ReplacementFile::Write(std::string_view bytes) {
    Discard();
    error_.clear();
    if (BaseOf(target_).empty()) return Fail(EISDIR);
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) return Fail(EISDIR);

    std::string path;
    const int fd = CreateTemporary(target_, path);
    if (fd < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    temporary_ = path;
    bool ok = true;
    int error = 0;
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
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) return Fail(errno);
    temporary_.clear();
    return true;
}

void ReplacementFile::Discard() {
    if (temporary_.empty()) return;
    ::unlink(temporary_.c_str());
    temporary_.clear();
}

}  // namespace merivane
