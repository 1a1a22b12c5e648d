#pragma once

#include <string>

namespace merivane {

// The running program's product version ("1.0.33.0"): on Windows read back
// from the program file's version resource (empty when it has none), elsewhere
// the version compiled in.
std::string ProgramProductVersion();

}  // namespace merivane
