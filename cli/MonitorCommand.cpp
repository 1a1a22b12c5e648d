// The monitor command: the device's signal, one line a sample, for pointing an
// antenna from a terminal or logging the signal from a script.

#include <cstdio>

#include "app/CKestrionApp.h"
#include "app/DeviceStatus.h"
#include "app/Product.h"
#include "cli/CommandReport.h"
#include "cli/DeviceCommands.h"
#include "cli/DeviceSession.h"
#include "ops/SignalPoll.h"
#include "support/Clock.h"
#include "support/Interruption.h"
#include "support/TerminalText.h"

namespace merivane::cli {
namespace {

constexpr uint64_t kStateIntervalMs = 10000;

// Sleeps `ms` of product time, ending early when the user interrupts.
void PauseUnlessInterrupted(uint64_t ms) {
    const Deadline pause(ms);
    while (!pause.Passed() && !InterruptionRequested())
        TheClock().SleepMs(std::min<uint64_t>(ms, 100));
}

std::string SampleLine(const SignalSample& sample, const SignalMeter& meter,
                       const std::string& port, bool json) {
    const auto dbm = CsqToDbm(sample.csq);
    if (json) {
        // The members info has for the same values keep info's names and forms.
        return JsonText({{"time", IsoUtc(sample.timeMs)},
                         {"port", port},
                         {"signal_quality", sample.csq},
                         {"dbm", dbm ? Json(*dbm) : Json()},
                         {"signal_bars", meter.lit},
                         {"signal_scale", meter.scale},
                         {"registration", sample.registration}});
    }
    char text[160];
    std::snprintf(text, sizeof text, "%s  CSQ %2d  %-8s  bars %d/%d  %s",
                  IsoUtc(sample.timeMs).c_str(), sample.csq,
                  dbm ? (std::to_string(*dbm) + " dBm").c_str() : "unknown", meter.lit, meter.scale,
                  RegistrationText(sample.registration));
    return TerminalSafe(text);
}

}  // namespace

void RunMonitor(DeviceSession& session, CommandReport& report) {
    const CliOptions& options = session.Options();
    CKestrionApp& app = session.App();
    report.SetStreamed();
    uint64_t stateReadAt = TheClock().NowMs();  // identification has just read it
    for (int taken = 0; options.count == 0 || taken < options.count;) {
        if (InterruptionRequested()) return;
        const bool readState =
            !IsKorvane(g_product) && TheClock().NowMs() - stateReadAt >= kStateIntervalMs;
        const SignalPoll poll = PollSignal(app.Link(), readState);
        if (poll.outcome == PollOutcome::LinkLost) {
            report.Fail(kExitFailed, "the device has gone away; monitoring stopped");
            return;
        }
        if (poll.outcome == PollOutcome::Sampled) {
            if (poll.stateAnswer) {
                app.Documents().LoadStateDocument(*poll.stateAnswer);
                stateReadAt = TheClock().NowMs();
            }
            const SignalMeter meter =
                SignalMeterFor(ReadDeviceStatus(app.Documents()), poll.sample.csq);
            std::printf("%s\n",
                        SampleLine(poll.sample, meter, app.PortName(), options.json).c_str());
            std::fflush(stdout);
            ++taken;
            report.Data()["samples"] = taken;
            if (options.count != 0 && taken == options.count) return;
        }
        PauseUnlessInterrupted(static_cast<uint64_t>(options.intervalSeconds) * 1000);
    }
}

}  // namespace merivane::cli
