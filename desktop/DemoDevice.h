#pragma once

#include <memory>
#include <string>

#include "sim/DeviceOptions.h"

namespace merivane {

// The built-in simulated device of --demo, behind a link in a private folder that
// goes with it. It needs a pseudo-terminal: where the system has none (Windows),
// Start() fails and Error() says what to do instead.
class DemoDevice {
  public:
    explicit DemoDevice(sim::DeviceOptions options);
    ~DemoDevice();
    DemoDevice(const DemoDevice&) = delete;
    DemoDevice& operator=(const DemoDevice&) = delete;

    bool Start();
    // The port the program connects to.
    const std::string& LinkPath() const { return linkPath_; }
    // Why Start() failed.
    const std::string& Error() const { return error_; }

  private:
    struct Running;
    sim::DeviceOptions options_;
    std::string linkPath_;
    std::string error_;
    std::unique_ptr<Running> running_;
};

}  // namespace merivane
