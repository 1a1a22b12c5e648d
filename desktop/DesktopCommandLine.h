#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "app/Startup.h"
#include "sim/DeviceOptions.h"

namespace merivane {

// What the desktop program's command line says: the options are declared once,
// each with its help text, in a QCommandLineParser. "/debug" is taken as a
// whole argument, as on the program's first home; "--demo" alone means the
// gateway with its radio module.
struct DesktopCommandLine {
    bool help = false;
    bool version = false;
    StartupOptions startup;
    std::optional<sim::DeviceOptions> demo;  // --demo[=KIND]: the built-in simulated device
    QString error;                           // a malformed command line, said in words
    QString helpText;
};

// Reads `arguments` (the program name first). Options Qt takes for itself
// (-platform, -style, ...) are passed over: QApplication reads them.
DesktopCommandLine ParseDesktopCommandLine(const QStringList& arguments);

}  // namespace merivane
