#include <stdlib.h>

#include <filesystem>

#include "desktop/DemoDevice.h"
#include "sim/SimulatedDevice.h"

namespace merivane {

struct DemoDevice::Running {
    std::string folder;
    std::unique_ptr<sim::SimulatedDevice> device;
};

DemoDevice::DemoDevice(sim::DeviceOptions options) : options_(std::move(options)) {}

DemoDevice::~DemoDevice() {
    if (!running_) return;
    running_->device.reset();
    std::error_code ignored;
    std::filesystem::remove_all(running_->folder, ignored);
}

bool DemoDevice::Start() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "merivane-demo-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        error_ = "no private folder for its port could be made in " +
                 std::filesystem::temp_directory_path().string();
        return false;
    }
    running_ = std::make_unique<Running>();
    running_->folder = pattern;
    options_.linkPath = pattern + "/ttyDEMO0";
    running_->device = std::make_unique<sim::SimulatedDevice>(options_);
    if (!running_->device->Start()) {
        error_ = "its pseudo-terminal could not be opened";
        return false;
    }
    linkPath_ = running_->device->LinkPath();
    return true;
}

}  // namespace merivane
