#include "link/PortFacts.h"
#include "link/RegistryPortSource.h"
#include "support/TextRules.h"

namespace merivane {

PortFacts ReadPortFacts(const std::string& port) {
    PortFacts facts;
    facts.device = port;
    facts.propertySource = "registry";
    // The modem's own entry in the device class names its maker and its COM port.
    const std::string name = port.rfind("\\\\.\\", 0) == 0 ? port.substr(4) : port;
    RegistryPortSource source;
    std::vector<PortEntry> entries;
    if (!source.ListModemPorts(entries)) return facts;
    for (const PortEntry& entry : entries) {
        if (!EqualsIgnoringCase(entry.port, name)) continue;
        for (const std::string& provider : entry.providers)
            facts.properties.push_back("ProviderName=" + provider);
        facts.properties.push_back("AttachedTo=" + entry.port);
    }
    return facts;
}

}  // namespace merivane
