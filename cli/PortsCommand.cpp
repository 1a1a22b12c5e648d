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

JsonValue PortRow(const std::string& port, const std::string& providers, bool usable,
                  const std::string& problem) {
    JsonValue row = JsonValue::Object();
    row.Set("port", port);
    row.Set("providers", providers);
    row.Set("usable", usable);
    row.Set("problem", problem);
    return row;
}

}  // namespace

void RunPorts(PortSource& source, CommandReport& report) {
    Transport transport(&source);
    const Discovery found = DiscoverPorts(transport);
    if (found.opened) transport.Port().Close();
    std::vector<PortEntry> entries;
    source.ListModemPorts(entries);

    JsonValue ports = JsonValue::Array();
    for (const std::string& port : found.candidates)
        ports.Append(PortRow(port, ProvidersOf(entries, port), true, ""));
    for (const PortProblem& problem : found.problems)
        ports.Append(PortRow(problem.port, ProvidersOf(entries, problem.port), false,
                             DescribePortError(problem.error, problem.sysErrno)));
    report.Data().Set("ports", ports);
    if (found.candidates.empty()) report.Fail(kExitNoDevice, "no device found");
}

}  // namespace merivane::cli
