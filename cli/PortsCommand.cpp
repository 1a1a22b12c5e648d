#include "cli/PortsCommand.h"

#include "cli/CommandReport.h"
#include "cli/PortDiscovery.h"

namespace merivane::cli {
namespace {

std::string ProvidersOf(const std::vector<PortEntry>& entries, const std::string& port) {
    for (const PortEntry& entry : entries) {
        if (entry.port != port) continue;
        std::string names;
        for (const std::string& provider : entry.providers)
            names += (names.empty() ? "" : "; ") + provider;
        return names;
    }
    return {};
}

Json PortRow(const std::string& port, const std::string& providers, bool usable,
             const std::string& problem) {
    return {{"port", port}, {"providers", providers}, {"usable", usable}, {"problem", problem}};
}

}  // namespace

void RunPorts(PortSource& source, CommandReport& report) {
    Transport transport(&source);
    const Discovery found = DiscoverPorts(transport);
    if (found.opened) transport.ClosePort();
    std::vector<PortEntry> entries;
    source.ListModemPorts(entries);

    Json ports = Json::array();
    for (const std::string& port : found.candidates)
        ports.push_back(PortRow(port, ProvidersOf(entries, port), true, ""));
    for (const PortProblem& problem : found.problems)
        ports.push_back(PortRow(problem.port, ProvidersOf(entries, problem.port), false,
                                DescribePortError(problem.error, problem.sysErrno)));
    report.Data()["ports"] = ports;
    if (found.candidates.empty()) report.Fail(kExitNoDevice, "no device found");
}

}  // namespace merivane::cli
