#pragma once

#include <functional>
#include <string>

#include "ops/FirmwareImageFile.h"
#include "settings/SettingBinding.h"

namespace merivane {

class BatchExecutor;
class DocumentStore;
class Prompts;

inline constexpr char kFirmwareUpdateFailed[] = "Firmware Update failed.";
inline constexpr char kFirmwareUpdateComplete[] =
    "Firmware Update Complete. Exiting the Merivane...";

// What the firmware page shows of the state document.
struct FirmwareInfo {
    std::string product;          // "device_info/product"
    std::string firmwareVersion;  // "device_info/firmwaresoftrevstr"
};

// The page's two read-only bindings (no controls to show), into the given members.
BindingTable FirmwareInfoBindings(std::string* product, std::string* firmwareVersion);
// Reads them from the state document; empty texts where the state has no such value.
FirmwareInfo ReadFirmwareInfo(const DocumentStore& documents);

// What follows the closing message of an update that reached the device.
enum class AfterFirmwareUpdate {
    EndProcess,  // end the process with code 0, as the desktop program does
    Return,      // return the outcome (the command line ends the run itself)
};

// Updates the device firmware from a local image: the file checks, the upload to
// "/fw/updatefw.dwl", verification by digest (a mismatch offers Retry, which removes the
// device copy first, or Cancel), then the update command, a resynchronising "at" and the
// state query in one batch; the state is loaded again and `stateReloaded` (may be empty)
// lets the page show it. The update failed when the device still shows the version it
// had (or none) and the update command failed or was ignored; "Firmware Update failed."
// then says so. With AfterFirmwareUpdate::EndProcess, "Firmware Update Complete. Exiting
// the Merivane..." follows in every case and the process ends; with Return the outcome
// is returned without that closing text.
FirmwareOutcome UpdateFirmware(const std::string& imagePath, DocumentStore& documents,
                               BatchExecutor& executor, Prompts& prompts,
                               AfterFirmwareUpdate after = AfterFirmwareUpdate::EndProcess,
                               const std::function<void()>& stateReloaded = {});

}  // namespace merivane
