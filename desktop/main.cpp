// The desktop program: finds the device (or starts the built-in simulated one
// with --demo), identifies it and shows its property sheet.

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CKestrionApp.h"
#include "app/Startup.h"
#include "desktop/DemoDevice.h"
#include "desktop/DesktopCommandLine.h"
#include "desktop/DesktopRun.h"
#include "desktop/TerminationRequests.h"
#include "ui/GuiResources.h"
#include "ui/QtPrompts.h"

namespace {

// Without a display Qt gives up with several lines and an abort; say it in one
// line, with the first reason Qt gave, and end with status 1 instead. Messages
// of a start that works are held back and shown as usual afterwards.
QStringList g_heldMessages;

void NoDisplay(QtMsgType type, const QMessageLogContext&, const QString& message) {
    g_heldMessages << message;
    if (type != QtFatalMsg) return;
    std::fprintf(
        stderr,
        "merivane: no window can be shown (%s). Run it on a desktop, or use merivane-cli.\n",
        qPrintable(g_heldMessages.front().section('\n', 0, 0).trimmed()));
    std::_Exit(1);
}

}  // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCoreApplication::setApplicationName("merivane");
    QCoreApplication::setApplicationVersion(MERIVANE_VERSION_TEXT);
    // --help and --version answer without a display, before Qt starts.
    const merivane::DesktopCommandLine line = merivane::ParseDesktopCommandLine(arguments);
    if (line.help) {
        std::fputs(qPrintable(line.helpText), stdout);
        return 0;
    }
    if (line.version) {
        std::printf("merivane %s\n", MERIVANE_VERSION_TEXT);
        return 0;
    }
    if (!line.error.isEmpty()) {
        std::fprintf(stderr, "merivane: %s\nTry \"merivane --help\".\n", qPrintable(line.error));
        return 2;
    }

#ifdef SIGPIPE
    // A device that vanishes mid-write shows up as a failed write, not as the end of the program.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    qInstallMessageHandler(NoDisplay);
    QApplication application(argc, argv);
    qInstallMessageHandler(nullptr);
    for (const QString& message : g_heldMessages) std::fprintf(stderr, "%s\n", qPrintable(message));
    application.setWindowIcon(merivane::AppIcon());
    merivane::CloseOnTerminationRequests();

    merivane::StartupOptions options = line.startup;
    std::unique_ptr<merivane::DemoDevice> demo;
    if (line.demo) {
        demo = std::make_unique<merivane::DemoDevice>(*line.demo);
        if (!demo->Start()) {
            std::fprintf(stderr, "merivane: the demo device could not be started: %s\n",
                         demo->Error().c_str());
            return 1;
        }
        options.portPath = demo->LinkPath();
    }

    merivane::CKestrionApp app;
    merivane::QtPrompts prompts;
    merivane::RunDesktop(app, options, prompts);
    // Stopped on request: the status a shell gives a program ended by that signal.
    const int signal = merivane::TerminationSignal();
    return signal == 0 ? 0 : 128 + signal;
}
