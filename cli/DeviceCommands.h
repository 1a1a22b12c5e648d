#pragma once

#include <string>

namespace merivane::cli {

// Said when a command would change settings that were never loaded (the device's answer held
// no usable settings); the device is left alone.
inline constexpr char kSettingsNotLoaded[] =
    "the device's settings are not loaded (they could not be read); nothing was sent";

class CommandReport;
class DeviceSession;

// A command that runs on an identified device and reports into `report`.
using DeviceCommand = void (*)(DeviceSession& session, CommandReport& report);

// The handler of a device command by name, or null.
DeviceCommand FindDeviceCommand(const std::string& name);

// The handlers, grouped by what they work on.
void RunInfo(DeviceSession& session, CommandReport& report);
void RunGet(DeviceSession& session, CommandReport& report);
void RunSet(DeviceSession& session, CommandReport& report);
void RunBackup(DeviceSession& session, CommandReport& report);
void RunRestore(DeviceSession& session, CommandReport& report);
void RunRestoreOnly(DeviceSession& session, CommandReport& report);
void RunDiff(DeviceSession& session, CommandReport& report);
void RunReport(DeviceSession& session, CommandReport& report);
void RunReboot(DeviceSession& session, CommandReport& report);
void RunList(DeviceSession& session, CommandReport& report);
void RunUpload(DeviceSession& session, CommandReport& report);
void RunDownload(DeviceSession& session, CommandReport& report);
void RunRemove(DeviceSession& session, CommandReport& report);
void RunAutostart(DeviceSession& session, CommandReport& report);
void RunFirmware(DeviceSession& session, CommandReport& report);
void RunRadioFirmware(DeviceSession& session, CommandReport& report);
void RunMonitor(DeviceSession& session, CommandReport& report);

}  // namespace merivane::cli
