#include "ops/ZelboFirmware.h"

#include "app/BatchExecutor.h"
#include "app/Prompts.h"
#include "link/UploadEngine.h"
#include "ops/OpsMessages.h"
#include "ops/VerifiedUpload.h"
#include "settings/DocumentStore.h"
#include "settings/RciRequests.h"

namespace merivane {
namespace {

// The requests that name the image, checked before anything is sent.
struct RadioRequests {
    std::string digest;
    std::string remove;
    std::string update;
};

bool PrepareRequests(const std::string& imagePath, RadioRequests& requests, Prompts& prompts) {
    const std::string name = LocalFileName(imagePath);
    std::string digest;
    std::string remove;
    std::string update;
    std::string why;
    if (!rci::DigestCommand(std::string(rci::kMeshFolder) + name, &digest, &why) ||
        !rci::RemoveMeshFileRequest(name, &remove, &why) ||
        !rci::ZelboFirmwareUpdateRequest(name, &update, &why)) {
        prompts.Inform(CannotSendFileText(imagePath, why), kErrorCaption, Prompts::Icon::Error);
        return false;
    }
    requests = {digest, rci::InlineCommand(remove), rci::InlineCommand(update)};
    return true;
}

}  // namespace

FirmwareOutcome UpdateRadioFirmware(const std::string& imagePath, DocumentStore& documents,
                                    BatchExecutor& executor, Prompts& prompts) {
    if (!CheckFirmwareImageFile(imagePath, prompts)) return FirmwareOutcome::Refused;
    RadioRequests requests;
    if (!PrepareRequests(imagePath, requests, prompts)) return FirmwareOutcome::Refused;

    VerifiedUploadPlan plan;
    plan.source = {imagePath, false, true};
    plan.verifyBatch = {{requests.digest, "Verifying firmware image on the Device...", 20000}};
    plan.beforeRetry = {
        {requests.remove, "Removing uploaded firmware image from the Device...", 10000}};
    plan.mismatchText = [](const std::string& local, const std::string& device) {
        return FillIn(kImageMismatchPattern, {local, device});
    };
    if (!RunVerifiedUpload(plan, executor, prompts).verified) return FirmwareOutcome::NotVerified;

    const std::string stateQuery = rci::InlineCommand(rci::kQueryState);
    const std::string radioQuery = rci::InlineCommand(rci::kQueryZelboSettings);
    CommandList update = {
        {requests.update, "Updating firmware on the Zelbo radio...", 180000},
        {stateQuery, "Collecting Device information...", 20000},
        {radioQuery, "Retrieving Zelbo settings from the device...", 20000},
    };
    executor.RunBatch(update);
    for (const USBCommand& entry : update) {
        if (entry.command.empty()) break;
        if (entry.failed) continue;
        if (entry.command == stateQuery) documents.LoadStateDocument(entry.result);
        if (entry.command == radioQuery) documents.LoadZelboDocument(entry.result);
    }
    // The radio reports on its update; silence until the time-out is no report of success.
    const USBCommand& apply = update.front();
    return apply.failed != 0 || apply.result.empty() ? FirmwareOutcome::UpdateFailed
                                                     : FirmwareOutcome::Updated;
}

}  // namespace merivane
