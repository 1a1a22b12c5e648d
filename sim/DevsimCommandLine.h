#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/DeviceOptions.h"

namespace merivane::sim {

// The merivane-devsim command line: its options, each declared once with its help text in
// DevsimCommandLine.cpp. Options take their value as the next argument or after "=".
struct DevsimCommandLine {
    DeviceOptions options;
    std::optional<bool> autostart;  // set when --autostart was given
    bool help = false;

    // False with `error` set when the arguments are not understood.
    bool Parse(const std::vector<std::string>& args, std::string& error);
    // The --help text.
    static std::string Usage();
};

}  // namespace merivane::sim
