#pragma once

#include <string>
#include <vector>

#include "cli/CliOptions.h"

namespace merivane::cli {

// The command line one device's process runs with: the command and its options for the
// port, with its own command log and its own output file names, marked with `tag`.
std::vector<std::string> DeviceProcessArguments(const CliOptions& options, const std::string& port,
                                                const std::string& tag);

// Runs the command on every port at once, each device in a process of its own (the
// application's process-wide state belongs to one device), forwards their messages to
// standard error as "[PORT] ..." while they run, and prints each device's output and a
// summary table, or one JSON document holding every device's document. Returns the
// exit status: 0 when every device is done, else the status they all share, else 1.
int RunOnDevices(const CliOptions& options, const std::vector<std::string>& ports);

}  // namespace merivane::cli
