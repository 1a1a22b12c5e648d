#include "app/Startup.h"

#include <functional>

#include "app/CKestrionApp.h"
#include "app/EndProcess.h"
#include "app/Product.h"
#include "app/Prompts.h"
#include "link/PortHolder.h"

namespace merivane {
namespace {

constexpr char kDetectionFailed[] =
    "Unable to detect a Varik Device. Please verify that it is powered and connected to your "
    "computer with the "
    "supplied USB cable.";
constexpr char kDetectionCaption[] = "Device detection error";
constexpr char kIdentificationFailed[] = "Unable to communicate with the device";
constexpr char kIdentificationCaption[] = "Device communication error";

bool Detect(CKestrionApp& app, const StartupOptions& options, const StartupHooks& hooks) {
    Transport& link = app.Link();
    return options.portPath.empty() ? link.FindAndOpenPort(hooks.choosePort)
                                    : link.OpenNamedPort(options.portPath);
}

}  // namespace

std::string DetectionProblemDetails(const Transport& transport) {
    std::string details;
    for (const PortProblem& problem : transport.LastProblems()) {
        if (!details.empty()) details += "\n\n";
        details += problem.port + ": " + DescribePortError(problem.error, problem.sysErrno) + ".";
        if (problem.error == PortError::Busy) {
            // Looked up now, while the holder most likely still has the port.
            details += "\n" + BusyPortAdvice(problem.port, FindPortHolders(problem.port),
                                             !FindProcessesNamed(kModemManagerName).empty());
        }
    }
    return details;
}

void RunStartup(CKestrionApp& app, const StartupOptions& options, const StartupHooks& hooks) {
    if (std::string why; options.debug && !app.StartCommandLog(options.logPath, &why))
        hooks.prompts->Inform(CommandLogRefusal(options.logPath, why), CKestrionApp::kDisplayName,
                              Prompts::Icon::Warning);
    app.Documents().Clear();
    app.Documents().SetZelboPresent(true);

    bool paused = false;
    const auto step = [&](const char* text, const std::function<void()>& exchange) {
        if (hooks.runStep) return hooks.runStep(text, exchange);
        exchange();
        return true;
    };
    // The user closed the start-up window: the device gets its console back.
    const auto giveUp = [&] {
        if (paused) app.ResumeDeviceConsole();
        app.CleanUp();
    };

    for (;;) {
        bool detected = false;
        if (!step("Looking for the device...", [&] { detected = Detect(app, options, hooks); }))
            return giveUp();
        if (detected) break;
        if (hooks.prompts->RetryCancel(kDetectionFailed, kDetectionCaption, Prompts::Icon::Warning,
                                       DetectionProblemDetails(app.Link())) !=
            Prompts::Answer::Retry) {
            app.CleanUp();
            return;
        }
    }

    paused = true;
    if (!step("Pausing the device console...", [&] { app.PauseDeviceConsole(); })) return giveUp();
    bool autostart = false;
    if (!step("Checking for a Python program started at boot...",
              [&] { autostart = app.AutostartIsOn(); }))
        return giveUp();
    if (autostart &&
        hooks.prompts->YesNo("Do you want to disable Python auto-start",
                             "Python auto-start detected",
                             Prompts::Icon::Question) == Prompts::Answer::Yes &&
        !step("Turning Python auto-start off...", [&] { app.DisableAutostart(); }))
        return giveUp();

    if (!step("Asking the device for its product...", [&] { g_product = app.QueryProduct(); }))
        return giveUp();
    if (g_product.empty()) {
        hooks.prompts->Inform("Varik Device Not found. Exiting", CKestrionApp::kDisplayName,
                              Prompts::Icon::None);
        EndProcess(0);
    }

    app.Identity().status = "Connected (" + app.PortName() + ")";
    if (hooks.setStatus) hooks.setStatus(app.Identity().status);

    // Identification shows its own progress dialog; the step names what it is part of.
    if (!step("Reading the device's information...", [] {})) return giveUp();
    while (!app.IdentifyDevice(*hooks.executor)) {
        if (hooks.prompts->RetryCancel(kIdentificationFailed, kIdentificationCaption,
                                       Prompts::Icon::Warning) != Prompts::Answer::Retry) {
            app.CleanUp();
            return;
        }
    }
    if (hooks.runSheet) hooks.runSheet();
    app.ResumeDeviceConsole();
    app.CleanUp();
}

}  // namespace merivane
