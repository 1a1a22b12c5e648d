#pragma once

#include <string>
#include <vector>

#include "ops/PythonFileList.h"

namespace merivane {

class BatchExecutor;
class Prompts;

// The archive the device's Python runs on; it is never deleted.
inline constexpr char kPythonArchiveName[] = "python.zip";
inline constexpr char kPythonArchiveRefusal[] = "python.zip cannot be deleted";
inline constexpr char kDeletingMessage[] = "Deleting file from the device...";

enum class DeleteOutcome {
    Deleted,  // the remove requests and the list request ran (the listing shows what is left)
    Refused,  // nothing was sent: "python.zip" or a name that cannot travel was among them
};

struct DeleteResult {
    DeleteOutcome outcome = DeleteOutcome::Refused;
    PythonFileListing listing;  // the refreshed list (only after Deleted)
};

// Deletes the named device files (the checked entries' full names, in list order) in one
// batch, followed by the list request. "python.zip" among them, or a name that cannot be
// put into a request, is refused with a message before anything is sent. With no names
// only the list is fetched again. The remove answers are not looked at.
DeleteResult DeletePythonFiles(const std::vector<std::string>& names, BatchExecutor& executor,
                               Prompts& prompts);

}  // namespace merivane
