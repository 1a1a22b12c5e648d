#pragma once

#include <cstdint>
#include <string>

namespace merivane::sim {

// What the device prints on its own: console log lines while the console is
// not paused, and the <pyPrint>/<usb> blocks that Python programs and the
// USB service mix into answers.
class ConsoleChatter {
  public:
    // One console line, framed by line ends.
    std::string NextLine();
    // A block of Python program output.
    std::string PyPrintBlock();
    // A block from the device's USB service.
    std::string UsbBlock();

    // Product milliseconds between console lines.
    static constexpr uint64_t kConsoleIntervalMs = 1500;
    static constexpr uint64_t kForeverIntervalMs = 40;

  private:
    uint64_t lines_ = 0;
    uint64_t blocks_ = 0;
};

}  // namespace merivane::sim
