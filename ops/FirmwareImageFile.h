#pragma once

#include <string>

namespace merivane {

class Prompts;

inline constexpr char kNoFirmwareFile[] = "You must select the firmware file to update.";
inline constexpr char kUnopenableFirmwareFile[] = "Unable to open the firmware file to update.";
inline constexpr char kCorrectFilenameCaption[] = "Please enter a correct filename";

// How a firmware update (device or mesh radio) ended, when it returns.
enum class FirmwareOutcome {
    Refused,       // nothing was sent: no file, a file that cannot be read, an unusable name
    NotVerified,   // the user cancelled after a digest mismatch; the update was not started
    Updated,       // the update command ran and the documents were read again
    UpdateFailed,  // the update command failed (not sent, or answered ERROR); documents read again
};

// The checks before an image is sent: an empty path, a file that cannot be read and a
// file larger than an upload may be, each refused with its message. True when the image
// may be sent.
bool CheckFirmwareImageFile(const std::string& path, Prompts& prompts);

}  // namespace merivane
