#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "link/Transport.h"
#include "sim/SimulatedDevice.h"
#include "support/TempDir.h"

namespace merivane::test {

// A simulated device on a pseudo-terminal and a transport connected to it.
class SimFixture : public ::testing::Test {
  protected:
    // Options for the device SetUp starts; tests may change them in their
    // constructor. The console starts paused, as after start-up's pause.
    sim::DeviceOptions options_ = [] {
        sim::DeviceOptions options;
        options.console = false;
        return options;
    }();

    void SetUp() override { StartDevice(); }
    // The device stops here, before the members of a derived fixture go: its thread
    // reads the clock such a fixture installs until it has stopped.
    void TearDown() override { device_.reset(); }

    void StartDevice() {
        options_.linkPath = dir_.File("ttyDEVICE");
        device_ = std::make_unique<sim::SimulatedDevice>(options_);
        ASSERT_TRUE(device_->Start());
        ASSERT_TRUE(transport_.OpenNamedPort(device_->LinkPath()));
    }

    TempDir dir_;
    std::unique_ptr<sim::SimulatedDevice> device_;
    Transport transport_;
};

}  // namespace merivane::test
