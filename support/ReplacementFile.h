#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace merivane {

// Who may read a saved file.
enum class FileSecrecy {
    // Anyone the umask allows, when new; a replaced file keeps its permissions.
    Ordinary,
    // The owner only, when new; a replaced file keeps its permissions (a download that
    // replaces the user's own script keeps it executable).
    OwnerOnly,
    // The owner only, always: a replaced file keeps its permissions only where they are
    // stricter. For files with passwords and the SIM PIN in them.
    Secret,
};

// A file that replaces `target` only once it is complete and checked: its bytes go to a
// new temporary file in the target's folder, which Commit() renames over the target. Until
// then a file already at the target stays as it was; a temporary file that is not
// committed is removed.
//
// The folder may be shared with other users, who may plant names in it: the target must
// be the file itself (a symbolic link there is refused, never followed), and a file already
// there must be a regular file of this user's own. The folder is opened once and every
// later step works relative to it, so the checks hold for the file actually written.
class ReplacementFile {
  public:
    explicit ReplacementFile(std::string target, FileSecrecy secrecy = FileSecrecy::Ordinary);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the temporary file, writes all of `bytes`, flushes them to the disk and
    // closes it. False, with the temporary file removed, on any failure.
    bool Write(std::string_view bytes);
    // The temporary file's path after a successful Write (empty before).
    const std::string& TemporaryPath() const { return temporaryPath_; }
    // Moves the written file into place. False when that fails (the target is then unchanged).
    bool Commit();
    // Removes the temporary file, if any.
    void Discard();
    // Why the last Write or Commit failed, worded to follow "cannot be saved to PATH (".
    const std::string& Error() const { return error_; }

  private:
    bool Fail(int error);
    void CloseFolder();

    std::string target_;
    FileSecrecy secrecy_;
    int folder_ = -1;  // the target's folder, open from Write until Commit or Discard
    std::string temporaryName_;
    std::string temporaryPath_;
    std::string error_;
};

// Writes `bytes` as the whole of `target`, through a ReplacementFile. False with
// the reason in `error` (worded as ReplacementFile::Error()); the target is then unchanged.
inline bool ReplaceFile(const std::string& target, std::string_view bytes, FileSecrecy secrecy,
                        std::string& error) {
    ReplacementFile file(target, secrecy);
    if (file.Write(bytes) && file.Commit()) return true;
    error = file.Error();
    return false;
}

}  // namespace merivane
