#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "support/ReplacementFile.h"
#include "support/SaveTarget.h"

namespace merivane {
namespace {

constexpr int kNameAttempts = 100;
constexpr mode_t kOwnerOnly = 0600;

std::string InFolder(const std::string& folder, const std::string& name) {
    return folder + (folder == "/" ? "" : "/") + name;
}

// A hidden name in the folder that no other file has: ".merivane-XXXXXXXX.part". It does
// not grow with the target's name, which may already be as long as a name can be.
int CreateTemporary(int folder, mode_t mode, std::string& name) {
    std::random_device entropy;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char made[32];
        std::snprintf(made, sizeof made, ".merivane-%08x.part", static_cast<unsigned>(entropy()));
        name = made;
        const int fd =
            ::openat(folder, made, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
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

// The permissions the new file gets, or -1 when the creation mode (less the umask) stands.
int ModeFor(FileSecrecy secrecy, const struct stat& existing) {
    if (!S_ISREG(existing.st_mode)) return -1;
    const mode_t kept = existing.st_mode & 07777;
    return static_cast<int>(secrecy == FileSecrecy::Secret ? (kept & kOwnerOnly) : kept);
}

}  // namespace

ReplacementFile::ReplacementFile(std::string target, FileSecrecy secrecy)
    : target_(std::move(target)), secrecy_(secrecy) {}

ReplacementFile::~ReplacementFile() { Discard(); }

bool ReplacementFile::Fail(int error) {
    error_ = std::strerror(error);
    Discard();
    return false;
}

void ReplacementFile::CloseFolder() {
    if (folder_ >= 0) ::close(folder_);
    folder_ = -1;
}

bool ReplacementFile::Write(std::string_view bytes) {
    Discard();
    error_.clear();
    const SavePlace place = SplitSavePath(target_);
    folder_ = OpenSaveFolder(place.folder);
    if (folder_ < 0) return Fail(errno);
    struct stat existing {};
    if (!SaveTargetAllowed(folder_, place.name, existing, &error_)) {
        CloseFolder();
        return false;
    }

    const mode_t createMode = secrecy_ == FileSecrecy::Ordinary ? 0666 : kOwnerOnly;
    const int fd = CreateTemporary(folder_, createMode, temporaryName_);
    if (fd < 0) return Fail(errno);
    temporaryPath_ = InFolder(place.folder, temporaryName_);
    int error = 0;
    const int mode = ModeFor(secrecy_, existing);
    if (mode >= 0 && ::fchmod(fd, static_cast<mode_t>(mode)) != 0) error = errno;
    if (error == 0 && (!WriteAll(fd, bytes) || ::fsync(fd) != 0)) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    return error == 0 ? true : Fail(error);
}

bool ReplacementFile::Commit() {
    if (temporaryName_.empty()) {
        error_ = std::strerror(ENOENT);
        return false;
    }
    // The name is replaced, never followed: whatever was planted there since Write, a link
    // included, is what the rename takes away.
    const SavePlace place = SplitSavePath(target_);
    if (::renameat(folder_, temporaryName_.c_str(), folder_, place.name.c_str()) != 0)
        return Fail(errno);
    temporaryName_.clear();
    temporaryPath_.clear();
    // So that the rename survives a power loss, as far as the file system can flush a folder.
    ::fsync(folder_);
    CloseFolder();
    return true;
}

void ReplacementFile::Discard() {
    if (!temporaryName_.empty() && folder_ >= 0) ::unlinkat(folder_, temporaryName_.c_str(), 0);
    temporaryName_.clear();
    temporaryPath_.clear();
    CloseFolder();
}

}  // namespace merivane
