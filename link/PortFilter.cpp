#include "link/PortFilter.h"

#include <algorithm>
#include <string_view>

namespace merivane {

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

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
