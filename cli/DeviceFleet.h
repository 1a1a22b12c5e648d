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
// On an interruption (Ctrl+C, SIGTERM) the devices' processes are told the same
// signal, given kStopGraceMs to end cleanly, then killed, and the exit status is 130.
int RunOnDevices(const CliOptions& options, const std::vector<std::string>& ports);

// Sends `signal` to every device process of the running fleet. Safe in a signal handler.
void PassSignalToDevices(int signal);

// How long the devices' processes may take to end after an interruption (real time):
// the exchange in progress ends and each device gets its console back.
inline constexpr int kStopGraceMs = 15000;

}  // namespace merivane::cli
