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

// The file inside the answer to a get_file request.
struct FetchedFile {
    std::string devicePath;  // the "name" attribute of "get_file"
    std::string content;     // the Base64 text of "data"
};

// Reads the answer to a get_file request: root, "do_command", "get_file" with its "name",
// and its child "data". False when the answer holds no document or lacks those elements.
bool ReadFetchedFile(std::string_view answer, FetchedFile& file);

// The file name to propose for saving: the device path's part after its last "/" when
// that is a plain file name, else `fallback`. Never a path.
std::string SuggestedSaveName(const std::string& devicePath, const std::string& fallback);

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

// Fetches each entry in turn: the device's digest, the file, the save dialog, then the
// bytes go to a temporary file beside the chosen one, whose digest must equal the
// device's before it takes the chosen name; a file already there is never touched by a
// failed download. A fetch without a file and a mismatch offer Retry and Cancel; a chosen
// path that cannot be written is said and the save dialog comes again.
std::vector<DownloadReport> DownloadPythonFiles(const std::vector<PythonFileEntry>& entries,
                                                BatchExecutor& executor, Prompts& prompts);

}  // namespace merivane
