#include "desktop/DemoDevice.h"

namespace merivane {

// The simulated device serves a pseudo-terminal, which Windows does not have.
struct DemoDevice::Running {};

DemoDevice::DemoDevice(sim::DeviceOptions options) : options_(std::move(options)) {}

DemoDevice::~DemoDevice() = default;

bool DemoDevice::Start() {
    error_ =
        "the built-in simulated device needs a pseudo-terminal, which Windows does not "
        "have; attach a device, or run merivane-devsim on Linux";
    return false;
}

}  // namespace merivane
