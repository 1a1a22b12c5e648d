#include "cli/CliProgram.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "cli/CliOptions.h"
#include "cli/CliPrompts.h"
#include "cli/CommandReport.h"
#include "cli/Confirmation.h"
#include "cli/DeviceCommands.h"
#include "cli/DeviceFleet.h"
#include "cli/DeviceSession.h"
#include "cli/LocalFiles.h"
#include "cli/PortDiscovery.h"
#include "cli/PortsCommand.h"
#include "cli/TerminalProgress.h"
#include "support/Interruption.h"
#include "support/TerminalText.h"
#include "support/TimeScale.h"

namespace merivane::cli {
namespace {

int UsageError(const std::string& error) {
    std::fprintf(stderr, "merivane-cli: %s\nTry \"merivane-cli --help\".\n",
                 TerminalSafe(error).c_str());
    return kExitUsage;
}

int Finish(const CliOptions& options, const CommandReport& report, const CliPrompts& prompts) {
    report.Print(options.json, prompts.Messages(), stdout, stderr);
    return report.ExitCode();
}

int RunOnOneDevice(const CliOptions& options, std::unique_ptr<PortSource> source) {
    CliPrompts prompts(options.retries, options.yes);
    CommandReport report(options.command);
    report.SetCheck(options.check);
    const std::string device = options.Port().empty() ? std::string("the discovered device")
                                                      : "the device on " + options.Port();
    if (!Confirm(options, device, prompts, report)) return Finish(options, report, prompts);

    std::unique_ptr<TerminalProgress> progress;
    if (isatty(STDERR_FILENO)) progress = std::make_unique<TerminalProgress>(stderr);
    {
        DeviceSession session(options, std::move(source), prompts, progress.get());
        if (session.Start(report) && !InterruptionRequested())
            FindDeviceCommand(options.command)(session, report);
        session.End();
    }
    if (InterruptionRequested()) report.Interrupted();
    return Finish(options, report, prompts);
}

int RunOnSeveralDevices(const CliOptions& options, std::unique_ptr<PortSource> source) {
    CliPrompts prompts(options.retries, options.yes);
    CommandReport report(options.command);
    std::vector<std::string> ports = options.ports;
    if (options.all) {
        Transport transport(source.get());
        const Discovery found = DiscoverPorts(transport);
        transport.ClosePort();
        ports = found.candidates;
        if (ports.empty()) {
            report.Fail(kExitNoDevice, "no device found");
            return Finish(options, report, prompts);
        }
    }
    std::string devices = std::to_string(ports.size()) + " devices (";
    for (size_t i = 0; i < ports.size(); ++i) devices += (i ? ", " : "") + ports[i];
    devices += ")";
    if (!Confirm(options, devices, prompts, report)) return Finish(options, report, prompts);

    CliOptions confirmed = options;
    confirmed.yes = confirmed.yes || NeedsConfirmation(options.command);
    return RunOnDevices(confirmed, ports);
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments) {
    CliOptions options;
    std::string error;
    if (!ParseCliArguments(arguments, options, error)) return UsageError(error);
    if (options.help) {
        std::fputs(CliUsage(options.command).c_str(), stdout);
        return kExitDone;
    }
    if (options.version) {
        std::printf("merivane-cli %s\n", MERIVANE_VERSION_TEXT);
        return kExitDone;
    }
    if (!InstallTimeScaleFromEnvironment(error)) return UsageError(error);
    if (!CheckLocalFiles(options, error)) return UsageError(error);
    std::unique_ptr<PortSource> source = MakePortSource(error);
    if (source == nullptr) return UsageError(error);

    if (options.command == "ports") {
        CliPrompts prompts(options.retries, options.yes);
        CommandReport report(options.command);
        RunPorts(*source, report);
        return Finish(options, report, prompts);
    }
    if (options.RunsOnSeveral()) return RunOnSeveralDevices(options, std::move(source));
    return RunOnOneDevice(options, std::move(source));
}

}  // namespace merivane::cli
