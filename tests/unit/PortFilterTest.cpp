#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/PortFilter.h"

namespace merivane {
namespace {

struct ProviderCase {
    std::string provider;
    bool passes;
};

class PortFilterProvider : public ::testing::TestWithParam<ProviderCase> {};

TEST_P(PortFilterProvider, JudgesName) {
    EXPECT_EQ(ProviderPasses(GetParam().provider), GetParam().passes) << GetParam().provider;
}

INSTANTIATE_TEST_SUITE_P(
    PortFilterNames, PortFilterProvider,
    ::testing::Values(ProviderCase{"WAVECOM", true}, ProviderCase{"wavecom", true},
                      ProviderCase{"Sierra Wireless", true}, ProviderCase{"SIERRA WIRELESS", true},
                      ProviderCase{"Varik", true}, ProviderCase{"Varik Systems GmbH", true},
                      ProviderCase{"by Varik", true}, ProviderCase{"varik", false},
                      ProviderCase{"VARIK", false}, ProviderCase{"Sierra Wireless, Inc.", false},
                      ProviderCase{" WAVECOM", false}, ProviderCase{"WAVECOMX", false},
                      ProviderCase{"Microsoft", false}, ProviderCase{"", false}));

TEST(PortFilterAny, PassesWhenOneNamePasses) {
    EXPECT_FALSE(AnyProviderPasses({}));
    EXPECT_FALSE(AnyProviderPasses({"Microsoft", "varik"}));
    EXPECT_TRUE(AnyProviderPasses({"Microsoft", "Sierra wireless"}));
    EXPECT_TRUE(AnyProviderPasses({"Varik modem", "Microsoft"}));
}

}  // namespace
}  // namespace merivane
