#pragma once

#include <string>
#include <vector>

namespace merivane::cli {

// The environment variable that runs the tool's pauses and waits faster (tests).
inline constexpr char kTimeScaleVariable[] = "MERIVANE_TIME_SCALE";

// Installs a scaled clock when the variable asks for one. False with `error` set when
// its value is not a number greater than 0.
bool InstallTimeScale(std::string& error);

// The whole program after the process set-up: reads the arguments (without the program
// name), runs the command and returns the exit status.
int RunCli(const std::vector<std::string>& arguments);

}  // namespace merivane::cli
