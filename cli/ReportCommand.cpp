// The report command: one archive for support, without the secrets.

#include "cli/DeviceCommands.h"
#include "cli/DeviceSession.h"
#include "ops/DiagnosticReport.h"
#include "ops/SignalPoll.h"

namespace merivane::cli {

void RunReport(DeviceSession& session, CommandReport& report) {
    CliPrompts& prompts = session.Prompter();
    const std::vector<std::string>& args = session.Options().args;
    prompts.SetSavePath(args.empty() ? std::string() : args.front());
    // The command line keeps no history of the signal: the report has the reading of now.
    std::deque<SignalSample> signal;
    const SignalPoll poll = PollSignal(session.App().Link(), false);
    if (poll.outcome == PollOutcome::Sampled) signal.push_back(poll.sample);
    if (SaveDiagnosticReport(session.App(), signal, prompts)) {
        report.Data()["file"] = prompts.ChosenSavePath();
        return;
    }
    if (prompts.RefusedExistingFile())
        report.Fail(kExitUsage, "the report file exists; add --yes to replace it");
    else
        report.Fail(kExitFailed, "the report was not saved");
}

}  // namespace merivane::cli
