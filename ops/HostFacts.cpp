#include "ops/HostFacts.h"

#include "app/CKestrionApp.h"
#include "link/PortFacts.h"

namespace merivane {

std::string HostFactsText(const std::string& port) {
    const PortFacts facts = ReadPortFacts(port);
    std::string text;
    text += std::string("tool: ") + CKestrionApp::kDisplayName + " " +
            CKestrionApp::GetProductVersionText() + "\n";
    text += "os: " + host::OperatingSystemName() + "\n";
    text += "kernel: " + host::KernelText() + "\n";
    text += "port: " + port + " (" + facts.device + ")\n";
    for (const std::string& link : facts.byIdLinks) text += "by-id: " + link + "\n";
    if (facts.byIdLinks.empty()) text += "by-id: none\n";
    for (const std::string& property : facts.properties)
        text += facts.propertySource + ": " + property + "\n";
    if (facts.properties.empty())
        text += facts.propertySource + ": not known to " + facts.propertySource + "\n";
    text += std::string("ModemManager: ") + host::ModemManagerText() + "\n";
    text += "user: " + host::UserAndGroupsText() + "\n";
    return text;
}

}  // namespace merivane
