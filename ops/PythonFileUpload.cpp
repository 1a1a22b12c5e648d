#include "ops/PythonFileUpload.h"

#include "app/Prompts.h"
#include "link/UploadEngine.h"
#include "ops/OpsMessages.h"
#include "ops/VerifiedUpload.h"
#include "settings/RciRequests.h"
#include "support/RegularFile.h"

namespace merivane {

bool HasForbiddenUploadCharacter(const std::string& path) {
    return path.find_first_of(kForbiddenUploadCharacters) != std::string::npos;
}

UploadResult UploadPythonFile(const std::string& localPath, BatchExecutor& executor,
                              Prompts& prompts) {
    if (localPath.empty()) {
        prompts.Inform(kNoFileToSend, kEnterFilenameCaption, Prompts::Icon::Error);
        return {};
    }
    if (HasForbiddenUploadCharacter(localPath)) {
        prompts.Inform(kSpecialCharacterRefusal, kErrorCaption, Prompts::Icon::Error);
        return {};
    }
    const UploadSource source{localPath, false, false};
    std::string digestCommand;
    std::string why;
    if (!rci::DigestCommand(UploadDestination(source), &digestCommand, &why)) {
        prompts.Inform(CannotSendFileText(localPath, why), kErrorCaption, Prompts::Icon::Error);
        return {};
    }
    if (!CanReadRegularFile(localPath, &why, kMaxUploadBytes)) {
        prompts.Inform(FillIn(kCannotReadFilePattern, {localPath, why}), kErrorCaption,
                       Prompts::Icon::Error);
        return {};
    }

    VerifiedUploadPlan plan;
    plan.source = source;
    plan.verifyBatch.push_back({digestCommand, kVerifyingUploadMessage, 30000});
    AppendPythonFileListRequest(plan.verifyBatch);
    plan.digestEachAttempt = true;
    // A list that came back without the file says it was not stored, whatever the digest;
    // a list that did not come back says nothing.
    plan.listed = [name = LocalFileName(localPath)](const CommandList& batch) {
        const PythonFileListing listing = ReadListAnswer(batch);
        return !listing.answered || FindPythonFile(listing, name) != nullptr;
    };
    plan.mismatchText = [&](const std::string&, const std::string&) {
        return FillIn(kUploadMismatchPattern, {localPath});
    };
    const VerifiedUploadResult run = RunVerifiedUpload(plan, executor, prompts);
    return {run.verified ? UploadOutcome::Verified : UploadOutcome::NotVerified,
            ReadListAnswer(run.verifyBatch)};
}

}  // namespace merivane
