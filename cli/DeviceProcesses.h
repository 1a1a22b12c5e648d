#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ExitCodes.h"

namespace merivane::cli {

// One device's process of a fleet run and what it has written so far.
struct DeviceProcess {
    std::string port;
    std::string output;
    std::string partialLine;
    std::string lastMessage;
    int exit = kExitFailed;
    // The system's hold on the running process and its two output pipes: a pid
    // and descriptors on POSIX systems, handles on Windows (-1: none).
    std::intptr_t process = -1;
    std::intptr_t out = -1;
    std::intptr_t err = -1;
};

// This program's own file, which every device's process runs.
std::string OwnProgram();

// Starts `program` with `arguments` for device number `slot`: standard input
// empty, standard output and error into pipes of ours. False when it could not
// be started.
bool StartDeviceProcess(const std::string& program, const std::vector<std::string>& arguments,
                        size_t slot, DeviceProcess& device);

// Bytes a device's process wrote: to standard output (`isOutput`) or to
// standard error; empty bytes when that output closed.
using DeviceBytes = std::function<void(DeviceProcess&, bool isOutput, std::string_view bytes)>;

// Reads what the processes write until each has closed both outputs, then collects
// their exit statuses. After an interruption they have kStopGraceMs to end; then
// they are killed.
void CollectDeviceOutput(std::vector<DeviceProcess>& devices, const DeviceBytes& received);

}  // namespace merivane::cli
