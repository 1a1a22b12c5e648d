#pragma once

#include <string>

namespace merivane::cli {

class CliPrompts;
class CommandReport;
struct CliOptions;

// True when the command needs the user's go-ahead (the firmware updates).
bool NeedsConfirmation(const std::string& command);

// Asks for the go-ahead of the command on `devices` (a description such as "the device
// on /dev/ttyACM0"): granted by --yes, else asked on the terminal. Without a terminal to
// ask on, refused as a usage error; a "no" fails the command. False with the report set.
bool Confirm(const CliOptions& options, const std::string& devices, CliPrompts& prompts,
             CommandReport& report);

}  // namespace merivane::cli
