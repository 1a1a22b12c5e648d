#include "ops/FirmwareUpdate.h"

#include "app/BatchExecutor.h"
#include "app/CKestrionApp.h"
#include "app/EndProcess.h"
#include "app/Prompts.h"
#include "ops/OpsMessages.h"
#include "ops/VerifiedUpload.h"
#include "settings/Bindings.h"
#include "settings/DocumentStore.h"
#include "settings/RciRequests.h"

namespace merivane {
namespace {

constexpr char kApplyStepMessage[] = "The device is now updating the firmware....";
constexpr char kReadBackMessage[] = "Retrieving new settings from the device...";

CommandList UpdateCommands() {
    return {
        {"at&usbinterface=110\r\n", kApplyStepMessage, 300000},
        {"at\r\n", kReadBackMessage, 1000},
        {rci::InlineCommand(rci::kQueryState), kReadBackMessage, 40000},
    };
}

}  // namespace

BindingTable FirmwareInfoBindings(std::string* product, std::string* firmwareVersion) {
    return {BindText("device_info/product", product, ""),
            BindText("device_info/firmwaresoftrevstr", firmwareVersion, "")};
}

FirmwareInfo ReadFirmwareInfo(const DocumentStore& documents) {
    FirmwareInfo info;
    ReadBindings(nullptr, FirmwareInfoBindings(&info.product, &info.firmwareVersion),
                 documents.StateNode());
    return info;
}

FirmwareOutcome UpdateFirmware(const std::string& imagePath, DocumentStore& documents,
                               BatchExecutor& executor, Prompts& prompts, AfterFirmwareUpdate after,
                               const std::function<void()>& stateReloaded) {
    if (!CheckFirmwareImageFile(imagePath, prompts)) return FirmwareOutcome::Refused;

    VerifiedUploadPlan plan;
    plan.source = {imagePath, true, false};
    plan.verifyBatch = {{"at&usbinterface=41,\"" + std::string(rci::kFirmwareImagePath) + "\"\r\n",
                         "Verifying firmware image on the device...", 20000}};
    plan.beforeRetry = {{rci::InlineCommand(rci::kRemoveFirmwareImage),
                         "Removing uploaded firmware image from the device...", 10000}};
    plan.mismatchText = [](const std::string& local, const std::string& device) {
        return FillIn(kImageMismatchPattern, {local, device});
    };
    if (!RunVerifiedUpload(plan, executor, prompts).verified) return FirmwareOutcome::NotVerified;

    const std::string versionBefore = ReadFirmwareInfo(documents).firmwareVersion;
    CommandList update = UpdateCommands();
    executor.RunBatch(update);
    documents.LoadStateDocument(update.back().result);
    if (stateReloaded) stateReloaded();

    // The version the device now shows decides: another one than before is a
    // done update, however the wait for the restart went (a device that takes
    // longer than the wait comes back during the next command). Only with the
    // same or no version does the update command's own outcome count: a device
    // that neither answered nor went away ignored it.
    const USBCommand& apply = update.front();
    const bool ignored = apply.failed == 0 && apply.portReturned == 0 && apply.result.empty();
    const std::string versionAfter = ReadFirmwareInfo(documents).firmwareVersion;
    const bool versionChanged =
        !versionBefore.empty() && !versionAfter.empty() && versionAfter != versionBefore;
    const bool failed = !versionChanged && (apply.failed != 0 || ignored);
    if (failed) prompts.Inform(kFirmwareUpdateFailed, kErrorCaption, Prompts::Icon::Error);
    // The closing text speaks of the desktop program ending; a returning caller ends its own way.
    if (after == AfterFirmwareUpdate::Return)
        return failed ? FirmwareOutcome::UpdateFailed : FirmwareOutcome::Updated;
    prompts.Inform(kFirmwareUpdateComplete, CKestrionApp::kDisplayName, Prompts::Icon::None);
    EndProcess(0);
    return failed ? FirmwareOutcome::UpdateFailed : FirmwareOutcome::Updated;
}

}  // namespace merivane
