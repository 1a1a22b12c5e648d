#include "app/FirmwareImageFile.h"

#include "app/LocalFiles.h"
#include "app/OpsMessages.h"
#include "app/Prompts.h"

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
    return true;
}

}  // namespace merivane
