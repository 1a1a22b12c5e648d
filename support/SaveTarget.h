#pragma once

#include <sys/stat.h>

#include <string>

namespace merivane {

// The place a saved file goes: the folder part of a path and its last name.
struct SavePlace {
    std::string folder;  // "." for a bare name
    std::string name;    // empty when the path ends in "/"
};
SavePlace SplitSavePath(const std::string& path);

// Opens `folder` for the *at() calls that save into it; -1 with errno set on failure.
int OpenSaveFolder(const std::string& folder);

// Whether `name` in the open folder may take a saved file, looked at without following
// a link: nothing there yet (`existing` then has st_mode 0), or a regular file of this
// user's own. Otherwise false, with the reason worded to follow "cannot be saved to
// PATH (" in `why`: a symbolic link, a folder, a device, FIFO or socket, another user's
// file (a file in a shared folder that someone else made is theirs, also for root).
bool SaveTargetAllowed(int folder, const std::string& name, struct stat& existing,
                       std::string* why);

// The reason text for a symbolic link where a file was expected.
inline constexpr char kSymbolicLinkReason[] = "it is a symbolic link; give the file itself";

}  // namespace merivane
