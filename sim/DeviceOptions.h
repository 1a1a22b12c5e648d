#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace merivane::sim {

// The two products of the family: the gateway and the vehicle tracker.
enum class Product { Brivel, Korvane };

// How a simulated device is set up when it starts.
struct DeviceOptions {
    std::string linkPath;  // symbolic link to publish (required without ttyPath)
    std::string ttyPath;   // serve this existing terminal instead of a pseudo-terminal
    Product product = Product::Brivel;
    bool radio = true;                // false: gateway without the mesh radio module
    bool echo = true;                 // echo every command line before its answer
    bool chatter = false;             // <pyPrint>/<usb> blocks inside answers
    bool autostart = false;           // Python auto-start state of a device without saved settings
    std::string stateDir;             // keep settings and files here across runs ("" = in memory)
    std::string logPath;              // record every byte received and sent ("" = none)
    std::vector<std::string> faults;  // same syntax as --fault
    bool console = true;              // false: paused at every (re)start, as after "55,pause"
    bool sim = true;                  // false: no SIM card (AT+CIMI and AT+CNUM answer ERROR)
    int signalQuality = 17;           // first number of the +CSQ answer
    bool signalWalk = false;          // the signal drifts, drops out and comes back (SignalWalk)
    uint32_t restartMs = 4000;  // product time a reboot or firmware update keeps the device away
};

// "Brivel" or "Korvane".
const char* ProductName(Product product);

}  // namespace merivane::sim
