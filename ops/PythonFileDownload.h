#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ops/PythonFileList.h"

namespace merivane {

class BatchExecutor;
class Prompts;

inline constexpr char kDigestStepPattern[] =
    "Retrieving MD5 checksum of %s (%s bytes) from the device...";
inline constexpr char kFetchStepPattern[] = "Retrieving %s (%s bytes) from the device...";
// Retry/Cancel when the file's answer holds no file.
inline constexpr char kDownloadFailed[] =
    "File download failed.\r\nSelect Retry to attempt the file download again.";
// Retry/Cancel when the written file's digest differs: the written file's digest, then the
// device's.
inline constexpr char kDownloadMismatchPattern[] =
    "File download failed.  MD5 sum should have been %s, but came back as %s.\r\n"
    "Select Retry to attempt the file download again.";

// Retry/Cancel when the answer is not the file asked for: the name the device sent, then
// the device path asked for.
inline constexpr char kDownloadOtherFilePattern[] =
    "File download failed: the device sent the file %s when %s was asked for.\r\n"
    "Select Retry to attempt the file download again.";
// Retry/Cancel when the answer holds more bytes than the list said: bytes sent, the name,
// the listed size.
inline constexpr char kDownloadLongerPattern[] =
    "File download failed: the device sent %s bytes for %s, which it listed with %s bytes.\r\n"
    "Select Retry to attempt the file download again.";

// The file inside the answer to a get_file request.
struct FetchedFile {
    std::string devicePath;  // the "name" attribute of "get_file"
    std::string content;     // the Base64 text of "data"
};

// Reads the answer to a get_file request: root, "do_command", "get_file" with its "name",
// and its child "data". False when the answer holds no document or lacks those elements.
bool ReadFetchedFile(std::string_view answer, FetchedFile& file);

// The local name a download is saved under unless the user gives another: the device
// file's name itself. Empty (no name proposed) for a name that is no plain file name or
// that starts with a dot: a hidden file such as ".bashrc" or ".profile" is run by other
// programs, so it is never made without the user naming it.
std::string DefaultLocalName(const std::string& deviceName);

enum class DownloadOutcome {
    Saved,     // written and checked; `savedPath` holds the file
    NotSaved,  // the user cancelled the save dialog
    Failed,    // the user cancelled after a failed fetch or a digest mismatch
    Refused,   // not fetched: the name or the size cannot be used (said in a message)
};

struct DownloadReport {
    std::string name;
    DownloadOutcome outcome = DownloadOutcome::Refused;
    std::string savedPath;
};

// Fetches each entry in turn: the device's digest, the file (which must be the file asked
// for and no longer than listed), the save dialog, then the
// bytes go to a temporary file beside the chosen one, whose digest must equal the
// device's before it takes the chosen name; a file already there is never touched by a
// failed download. A fetch without a file and a mismatch offer Retry and Cancel; a chosen
// path that cannot be written is said and the save dialog comes again.
std::vector<DownloadReport> DownloadPythonFiles(const std::vector<PythonFileEntry>& entries,
                                                BatchExecutor& executor, Prompts& prompts);

}  // namespace merivane
