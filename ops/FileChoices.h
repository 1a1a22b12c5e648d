#pragma once

#include <string>

namespace merivane {

class Prompts;

// The open dialog of a page's Browse button: its default extension and filter.
struct FileChoice {
    const char* defaultExtension;
    const char* filter;
};

inline constexpr FileChoice kPythonFileChoice{"*.py", "*.py|*.*||"};
inline constexpr FileChoice kFirmwareImageChoice{"*.bin", "*.bin|*.*||"};
inline constexpr FileChoice kRadioImageChoice{"*.ebl", "*.ebl|*.*||"};
inline constexpr FileChoice kRestoreFileChoice{"*.cfg", "*.cfg|*.*||"};

// Opens the dialog starting at `current` (none when empty) and returns the chosen path,
// or `current` when the user cancelled.
std::string BrowseForFile(Prompts& prompts, const std::string& current, const FileChoice& choice);

}  // namespace merivane
