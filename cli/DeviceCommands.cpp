#include "cli/DeviceCommands.h"

namespace merivane::cli {
namespace {

struct NamedCommand {
    const char* name;
    DeviceCommand run;
};

constexpr NamedCommand kDeviceCommands[] = {
    {"info", RunInfo},           {"get", RunGet},           {"set", RunSet},
    {"backup", RunBackup},       {"restore", RunRestore},   {"diff", RunDiff},
    {"report", RunReport},       {"reboot", RunReboot},     {"ls", RunList},
    {"upload", RunUpload},       {"download", RunDownload}, {"rm", RunRemove},
    {"autostart", RunAutostart}, {"firmware", RunFirmware}, {"radio-firmware", RunRadioFirmware},
    {"monitor", RunMonitor},
};

}  // namespace

DeviceCommand FindDeviceCommand(const std::string& name) {
    for (const NamedCommand& command : kDeviceCommands)
        if (name == command.name) return command.run;
    return nullptr;
}

}  // namespace merivane::cli
