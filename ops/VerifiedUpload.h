#pragma once

#include <functional>
#include <string>

#include "link/USBCommand.h"
#include "link/UploadEngine.h"

namespace merivane {

class BatchExecutor;
class Prompts;

// An upload that the device confirms by digest, offered again while the user asks.
struct VerifiedUploadPlan {
    UploadSource source;
    // Runs after every upload; its first command asks for the digest of the stored file.
    CommandList verifyBatch;
    // Runs before every new attempt (may be empty), e.g. to remove the bad copy.
    CommandList beforeRetry;
    // Take the local digest again before every attempt, not only before the first.
    bool digestEachAttempt = false;
    // When given, also judges the verify batch's answers: false when they show the file
    // was not stored (a device's file list without it), so that a matching digest alone
    // is no verified upload.
    std::function<bool(const CommandList& verifyBatch)> listed;
    // The Retry/Cancel message after a mismatch, from the local and the device's digest.
    std::function<std::string(const std::string& localDigest, const std::string& deviceDigest)>
        mismatchText;
};

struct VerifiedUploadResult {
    bool verified = false;    // the last attempt's digests matched
    CommandList verifyBatch;  // the verify batch of the last attempt, as it ran
};

// Uploads, verifies and, on a mismatch, asks Retry or Cancel (caption "Error", error
// icon); Retry runs `beforeRetry` and starts again, without a limit. A local digest that
// cannot be taken counts as a mismatch.
VerifiedUploadResult RunVerifiedUpload(const VerifiedUploadPlan& plan, BatchExecutor& executor,
                                       Prompts& prompts);

}  // namespace merivane
