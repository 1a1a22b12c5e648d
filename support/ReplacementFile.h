#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace merivane {

// A file that replaces `target` only once it is complete and checked: its bytes go to a
// new temporary file in the target's folder, which Commit() renames over the target. Until
// then a file already at the target stays as it was; a temporary file that is not
// committed is removed. The new file keeps the permissions of the file it replaces; where
// there is none, it gets `newFileMode` less the process's umask (0666 by default, the
// system's usual for a new file). When `target` is a symbolic link, the file it points to is
// the one replaced (and its folder holds the temporary file); the link stays.
class ReplacementFile {
  public:
    explicit ReplacementFile(std::string target, mode_t newFileMode = 0666);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the temporary file, writes all of `bytes`, flushes them to the disk and
    // closes it. False, with the temporary file removed, on any failure.
    bool Write(std::string_view bytes);
    // The temporary file's path after a successful Write (empty before).
    const std::string& TemporaryPath() const { return temporary_; }
    // Moves the written file into place. False when that fails (the target is then unchanged).
    bool Commit();
    // Removes the temporary file, if any.
    void Discard();
    // Why the last Write or Commit failed, in words of the system.
    const std::string& Error() const { return error_; }

  private:
    bool Fail(int error);

    std::string target_;
    mode_t newFileMode_;
    std::string file_;  // the file `target_` reaches through its links, after a Write
    std::string temporary_;
    std::string error_;
};

}  // namespace merivane
