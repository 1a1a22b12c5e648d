#include <gtest/gtest.h>

#include "app/CKestrionApp.h"

namespace merivane {
namespace {

// The test program carries the same version resource as merivane-cli.exe.
TEST(ProgramVersionTest, ReadsTheProductVersionFromTheVersionResource) {
    EXPECT_EQ(CKestrionApp::GetProductVersionText(), "Version 1.0.33.0");
}

}  // namespace
}  // namespace merivane
