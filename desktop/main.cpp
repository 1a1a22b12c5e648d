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
#include "desktop/DesktopRun.h"
#include "sim/SimulatedDevice.h"
#include "ui/GuiResources.h"
#include "ui/QtPrompts.h"

namespace {

using merivane::sim::DeviceOptions;
using merivane::sim::Product;

// "--demo" (the gateway with its radio module), "--demo=brivel", "--demo=noradio"
// (the gateway without it) or "--demo=korvane" (the vehicle tracker). Nothing when
// the argument is not a demo switch; exits on an unknown demo kind.
std::optional<DeviceOptions> DemoOptions(const std::string& argument) {
    if (argument != "--demo" && argument.rfind("--demo=", 0) != 0) return std::nullopt;
    DeviceOptions options;
    options.signalWalk = true;  // the signal monitor has something to show
    const std::string kind = argument == "--demo" ? "brivel" : argument.substr(7);
    if (kind == "korvane") {
        options.product = Product::Korvane;
    } else if (kind == "noradio") {
        options.radio = false;
    } else if (kind != "brivel") {
        std::fprintf(stderr, "merivane: unknown demo device \"%s\" (brivel, noradio or korvane)\n",
                     kind.c_str());
        std::exit(2);
    }
    return options;
}

// The simulated device of --demo, behind a link in a private folder that goes with it.
class DemoDevice {
  public:
    explicit DemoDevice(DeviceOptions options) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "merivane-demo-XXXXXX").string();
        if (char* made = ::mkdtemp(pattern.data())) folder_ = made;
        options.linkPath = folder_ + "/ttyDEMO0";
        device_ = std::make_unique<merivane::sim::SimulatedDevice>(options);
    }
    ~DemoDevice() {
        device_.reset();
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    bool Start() { return !folder_.empty() && device_->Start(); }
    const std::string& LinkPath() const { return device_->LinkPath(); }

  private:
    std::string folder_;
    std::unique_ptr<merivane::sim::SimulatedDevice> device_;
};

constexpr char kUsage[] =
    "Usage: merivane [OPTION]...\n"
    "Configure and maintain a Varik cellular router or gateway attached by USB.\n"
    "Without options it finds the device's serial port by itself.\n"
    "\n"
    "  --port PATH      use the serial port PATH (for example /dev/ttyACM0)\n"
    "  --debug, /debug  keep a command log, command.log, in the current folder\n"
    "  --demo[=KIND]    start a built-in simulated device and connect to it;\n"
    "                   KIND is brivel (the default), noradio or korvane\n"
    "  --help           show this help and exit\n"
    "  --version        show the version and exit\n"
    "\n"
    "Qt's own options (such as -platform or -style) are accepted too.\n";

// --help and --version answer without a display, so they are handled before
// Qt starts. The value after --port is a path, never an option. Returns true
// when the program should end here.
bool AnswerInformationRequest(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--port") {
            ++i;
        } else if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return true;
        } else if (argument == "--version") {
            std::printf("merivane %s\n", MERIVANE_VERSION_TEXT);
            return true;
        }
    }
    return false;
}

// Without a display Qt gives up with several lines and an abort; say it in one
// line, with the first reason Qt gave, and end with status 1 instead. Messages
// of a start that works are held back and shown as usual afterwards.
QStringList g_heldMessages;

void NoDisplay(QtMsgType type, const QMessageLogContext&, const QString& message) {
    g_heldMessages << message;
    if (type != QtFatalMsg) return;
    std::fprintf(stderr, "merivane: no window can be shown (%s). Run it on a desktop, or use merivane-cli.\n",
                 qPrintable(g_heldMessages.front().section('\n', 0, 0).trimmed()));
    std::_Exit(1);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (AnswerInformationRequest(argc, argv)) return 0;
    // A device that vanishes mid-write shows up as a failed write, not as the end of the program.
    std::signal(SIGPIPE, SIG_IGN);
    qInstallMessageHandler(NoDisplay);
    QApplication application(argc, argv);
    qInstallMessageHandler(nullptr);
    for (const QString& message : g_heldMessages) std::fprintf(stderr, "%s\n", qPrintable(message));
    application.setApplicationName("merivane");
    application.setWindowIcon(merivane::AppIcon());

    // Qt has taken its own options out of argv by now.
    const QStringList remaining = QApplication::arguments();
    std::vector<std::string> arguments;
    for (qsizetype i = 1; i < remaining.size(); ++i)
        arguments.push_back(remaining[i].toStdString());

    merivane::StartupOptions options = merivane::ParseStartupArguments(arguments);
    std::unique_ptr<DemoDevice> demo;
    for (const std::string& argument : arguments) {
        if (std::optional<DeviceOptions> demoOptions = DemoOptions(argument)) {
            demo = std::make_unique<DemoDevice>(*demoOptions);
            if (!demo->Start()) {
                std::fprintf(stderr, "merivane: the demo device could not be started\n");
                return 1;
            }
            options.portPath = demo->LinkPath();
        }
    }

    merivane::CKestrionApp app;
    merivane::QtPrompts prompts;
    merivane::RunDesktop(app, options, prompts);
    return 0;
}
