#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/DeviceOptions.h"

namespace merivane::sim {

// The merivane-devsim command line:
//   --link PATH            symbolic link to publish (required)
//   --product brivel|korvane
//   --no-radio             gateway without the mesh radio module
//   --no-echo              do not echo command lines
//   --chatter              <pyPrint> and <usb> blocks inside answers
//   --autostart on|off     Python auto-start (overrides a saved state)
//   --state-dir DIR        keep settings and files in DIR across runs
//   --log FILE             record every byte received and sent, and each command taken
//   --fault SPEC           misbehaviour (repeatable; see FaultPlan)
//   --no-sim               no SIM card
//   --quiet-console        the console starts paused
// Options take their value as the next argument or after "=".
struct DevsimCommandLine {
    DeviceOptions options;
    std::optional<bool> autostart;  // set when --autostart was given
    bool help = false;

    // False with `error` set when the arguments are not understood.
    bool Parse(const std::vector<std::string>& args, std::string& error);
    static const char* Usage();
};

}  // namespace merivane::sim
