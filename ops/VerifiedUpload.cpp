#include "ops/VerifiedUpload.h"

#include "app/BatchExecutor.h"
#include "app/Prompts.h"
#include "ops/DigestAnswer.h"
#include "ops/OpsMessages.h"
#include "support/FileMd5Hex.h"

namespace merivane {

VerifiedUploadResult RunVerifiedUpload(const VerifiedUploadPlan& plan, BatchExecutor& executor,
                                       Prompts& prompts) {
    std::string local;
    bool localTaken = FileMd5Hex(plan.source.localPath, local);
    VerifiedUploadResult result;
    for (bool first = true;; first = false) {
        if (!first && plan.digestEachAttempt) localTaken = FileMd5Hex(plan.source.localPath, local);
        executor.RunUpload(plan.source);
        result.verifyBatch = plan.verifyBatch;
        executor.RunBatch(result.verifyBatch);
        const std::string device = result.verifyBatch.empty()
                                       ? std::string()
                                       : DigestFromAnswer(result.verifyBatch.front().result);
        if (DigestsMatch(localTaken, local, device) &&
            (!plan.listed || plan.listed(result.verifyBatch))) {
            result.verified = true;
            return result;
        }
        const Prompts::Answer answer =
            prompts.RetryCancel(plan.mismatchText(local, DeviceAnswerExcerpt(device)),
                                kErrorCaption, Prompts::Icon::Error);
        if (answer != Prompts::Answer::Retry) return result;
        if (!plan.beforeRetry.empty()) {
            CommandList removal = plan.beforeRetry;
            executor.RunBatch(removal);
        }
    }
}

}  // namespace merivane
