#pragma once

#include <string>

namespace merivane {

// The environment variable that runs a program's pauses and waits faster (tests). The
// command-line program and the simulator program read it alike, so a simulated device
// started on its own keeps pace with the tool that talks to it.
inline constexpr char kTimeScaleVariable[] = "MERIVANE_TIME_SCALE";

// Installs a scaled clock for the whole process when the variable asks for one. False
// with `error` set when its value is not a number greater than 0 (and at most a million).
// Call before any thread that uses the clock starts.
bool InstallTimeScaleFromEnvironment(std::string& error);

}  // namespace merivane
