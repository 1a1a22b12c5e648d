#pragma once

namespace merivane::cli {

// The program's exit status.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;         // the device or a transfer failed
inline constexpr int kExitUsage = 2;          // the command line, or input refused before sending
inline constexpr int kExitNoDevice = 3;       // no device found (or several, without a choice)
inline constexpr int kExitInterrupted = 130;  // stopped by Ctrl+C or a termination signal

}  // namespace merivane::cli
