#pragma once

#include <string>
#include <vector>

namespace merivane::cli {

// The whole program after the process set-up: reads the arguments (without the program
// name), runs the command and returns the exit status.
int RunCli(const std::vector<std::string>& arguments);

}  // namespace merivane::cli
