#pragma once

#include <string>

#include "ops/PythonFileList.h"

namespace merivane {

class BatchExecutor;
class Prompts;

inline constexpr char kNoFileToSend[] = "You must select a file to send.";
// Characters refused anywhere in an upload path.
inline constexpr char kForbiddenUploadCharacters[] = "&~!@#$%^*()<>?|";
inline constexpr char kSpecialCharacterRefusal[] =
    "Cannot uplaod a file with special charcater in filename";
// Retry/Cancel after a mismatch, with the whole local path.
inline constexpr char kUploadMismatchPattern[] = "The file %s did not correctly transfer.";
inline constexpr char kVerifyingUploadMessage[] = "Verifying upload...";

enum class UploadOutcome {
    Verified,     // the device's copy has the local file's digest
    NotVerified,  // the user cancelled after a mismatch
    Refused,      // nothing was sent (empty path, forbidden character, a file that is not a
                  // readable regular file of at most kMaxUploadBytes, unusable file name)
};

struct UploadResult {
    UploadOutcome outcome = UploadOutcome::Refused;
    PythonFileListing listing;  // the list that came with the last verification (not after Refused)
};

// True when `path` holds one of kForbiddenUploadCharacters.
bool HasForbiddenUploadCharacter(const std::string& path);

// Sends the local file into the device's Python folder under its file name, verifies it
// by digest together with a fresh list, and offers Retry after a mismatch. Refuses an
// empty path, a forbidden character, a file that cannot be read whole (a folder, a FIFO,
// a device, one over kMaxUploadBytes) and a file name the device cannot take, each with
// its message, before anything is sent.
UploadResult UploadPythonFile(const std::string& localPath, BatchExecutor& executor,
                              Prompts& prompts);

}  // namespace merivane
