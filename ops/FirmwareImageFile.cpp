#include "ops/FirmwareImageFile.h"

#include "app/Prompts.h"
#include "link/UploadEngine.h"
#include "ops/OpsMessages.h"
#include "support/RegularFile.h"

namespace merivane {

bool CheckFirmwareImageFile(const std::string& path, Prompts& prompts) {
    if (path.empty()) {
        prompts.Inform(kNoFirmwareFile, kEnterFilenameCaption, Prompts::Icon::Error);
        return false;
    }
    if (!CanReadRegularFile(path)) {
        prompts.Inform(kUnopenableFirmwareFile, kCorrectFilenameCaption, Prompts::Icon::Error);
        return false;
    }
    std::string why;
    if (!CanReadRegularFile(path, &why, kMaxUploadBytes)) {
        prompts.Inform(FillIn(kCannotReadFilePattern, {path, why}), kErrorCaption,
                       Prompts::Icon::Error);
        return false;
    }
    return true;
}

}  // namespace merivane
