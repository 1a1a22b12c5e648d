#include "link/PortFilter.h"

#include <algorithm>
#include <string_view>

#include "support/TextRules.h"

namespace merivane {

namespace {

constexpr std::string_view kExactProviders[] = {"WAVECOM", "Sierra Wireless"};
constexpr std::string_view kProviderPart = "Varik";

}  // namespace

bool ProviderPasses(const std::string& provider) {
    for (std::string_view name : kExactProviders) {
        if (EqualsIgnoringCase(provider, name)) return true;
    }
    return provider.find(kProviderPart) != std::string::npos;
}

bool AnyProviderPasses(const std::vector<std::string>& providers) {
    return std::any_of(providers.begin(), providers.end(), ProviderPasses);
}

}  // namespace merivane
