#include "desktop/DesktopCommandLine.h"

#include <QCommandLineParser>

namespace merivane {
namespace {

constexpr char kDescription[] =
    "Configure and maintain a Varik cellular router or gateway attached by USB.\n"
    "Without options it finds the device's serial port by itself.\n"
    "Qt's own options (such as -platform or -style) are accepted too.";

// The options Qt's application object takes out of the command line itself.
bool IsQtOption(const QString& name) {
    static const QStringList kQt = {"platform",      "platformpluginpath",
                                    "platformtheme", "plugin",
                                    "qmljsdebugger", "qwindowgeometry",
                                    "qwindowtitle",  "qwindowicon",
                                    "reverse",       "session",
                                    "style",         "stylesheet",
                                    "widgetcount",   "geometry",
                                    "title",         "display",
                                    "name"};
    return kQt.contains(name);
}

std::optional<sim::DeviceOptions> DemoOptions(const QString& kind, QString& error) {
    sim::DeviceOptions options;
    options.signalWalk = true;  // the signal monitor has something to show
    if (kind == "korvane") {
        options.product = sim::Product::Korvane;
    } else if (kind == "noradio") {
        options.radio = false;
    } else if (kind != "brivel") {
        error = QString("unknown demo device \"%1\" (brivel, noradio or korvane)").arg(kind);
        return std::nullopt;
    }
    return options;
}

}  // namespace

DesktopCommandLine ParseDesktopCommandLine(const QStringList& arguments) {
    DesktopCommandLine line;
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    // Qt's own options are single-dash words (-platform, -style).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption port("port", "Use the serial port PATH (for example /dev/ttyACM0).",
                                  "PATH");
    const QCommandLineOption debug(
        "debug", "Keep a command log, command.log, in the current folder (also /debug).");
    const QCommandLineOption demo(
        "demo",
        "Start a built-in simulated device and connect to it; KIND is brivel (the "
        "default, also --demo alone), noradio or korvane.",
        "KIND");
    parser.addOptions({port, debug, demo});
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument("/debug", "The same as --debug.", "[/debug]");

    QStringList words;
    for (const QString& argument : arguments) {
        if (argument == "/debug") {
            line.startup.debug =
                true;  // a whole argument; a path that holds "debug" does not count
            continue;
        }
        words << (argument == "--demo" ? QString("--demo=brivel") : argument);
    }
    parser.parse(words);
    // Without an application object yet, the parser does not know the program's name.
    line.helpText = parser.helpText().replace("<executable_name>", "merivane");
    line.help = parser.isSet(help);
    line.version = parser.isSet(version);
    for (const QString& unknown : parser.unknownOptionNames()) {
        if (!IsQtOption(unknown) && line.error.isEmpty())
            line.error = QString("unknown option \"%1\"").arg(unknown);
    }
    if (!parser.errorText().isEmpty() && line.error.isEmpty() &&
        parser.unknownOptionNames().isEmpty())
        line.error = parser.errorText();
    line.startup.debug = line.startup.debug || parser.isSet(debug);
    if (parser.isSet(port)) line.startup.portPath = parser.value(port).toStdString();
    if (parser.isSet(demo)) line.demo = DemoOptions(parser.value(demo), line.error);
    return line;
}

}  // namespace merivane
