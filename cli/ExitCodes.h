#pragma once

#include <string_view>

namespace merivane::cli {

// The program's exit status.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;         // the device or a transfer failed
inline constexpr int kExitUsage = 2;          // the command line, or input refused before sending
inline constexpr int kExitNoDevice = 3;       // no device found (or several, without a choice)
inline constexpr int kExitInterrupted = 130;  // stopped by Ctrl+C or a termination signal

// diff answers as diff(1) does: 1 when some setting differs. Its failures exit
// kExitNotCompared instead of kExitFailed, so a script never takes one for a finding.
inline constexpr int kExitDiffers = 1;
inline constexpr int kExitNotCompared = 4;

// Whether `command` reports its finding through kExitDiffers.
inline bool ExitsLikeDiff(std::string_view command) { return command == "diff"; }

// The status a failure of `command` on the device exits with.
inline int FailureExit(std::string_view command) {
    return ExitsLikeDiff(command) ? kExitNotCompared : kExitFailed;
}

}  // namespace merivane::cli
