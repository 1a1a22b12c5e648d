#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/RegularFile.h"
#include "support/SaveTarget.h"

namespace merivane {
namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

bool Fail(std::string* why, const std::string& reason) {
    if (why != nullptr) *why = reason;
    return false;
}

// Opens without waiting (a FIFO would block an ordinary open) and checks the
// kind and size of what was opened, not of what the name pointed to before.
bool OpenRegularFile(uint64_t maxBytes, FileDescriptor& file, uint64_t& size, std::string* why) {
    if (file.get() < 0) return Fail(why, std::strerror(errno));
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) return Fail(why, std::strerror(errno));
    if (!S_ISREG(info.st_mode)) return Fail(why, "it is not a regular file");
    size = static_cast<uint64_t>(info.st_size);
    if (size > maxBytes)
        return Fail(why, "it holds more than " + std::to_string(maxBytes) + " bytes");
    return true;
}

int OpenForReading(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}

}  // namespace

bool CanReadRegularFile(const std::string& path, std::string* why, uint64_t maxBytes) {
    FileDescriptor file(OpenForReading(path));
    uint64_t size = 0;
    return OpenRegularFile(maxBytes, file, size, why);
}

bool ReadRegularFile(const std::string& path, uint64_t maxBytes, std::string& bytes,
                     std::string* why) {
    bytes.clear();
    FileDescriptor file(OpenForReading(path));
    uint64_t size = 0;
    if (!OpenRegularFile(maxBytes, file, size, why)) return false;
    bytes.reserve(static_cast<size_t>(size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            bytes.clear();
            return Fail(why, std::strerror(errno));
        }
        // The file may have grown since it was measured.
        if (bytes.size() + static_cast<size_t>(got) > maxBytes) {
            bytes.clear();
            return Fail(why, "it holds more than " + std::to_string(maxBytes) + " bytes");
        }
        bytes.append(buffer, static_cast<size_t>(got));
    }
}

bool CanSaveTo(const std::string& path, std::string* why) {
    const SavePlace place = SplitSavePath(path);
    const FileDescriptor folder(OpenSaveFolder(place.folder));
    if (folder.get() < 0) return Fail(why, std::strerror(errno));
    struct stat existing {};
    return SaveTargetAllowed(folder.get(), place.name, existing, why);
}

}  // namespace merivane
