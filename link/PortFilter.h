#pragma once

#include <string>
#include <vector>

namespace merivane {

// True when a modem's provider name is one of the device maker's: "WAVECOM"
// or "Sierra Wireless" in any case, or any name containing "Varik".
bool ProviderPasses(const std::string& provider);
// True when any of the names under which a port's maker appears passes.
bool AnyProviderPasses(const std::vector<std::string>& providers);

}  // namespace merivane
