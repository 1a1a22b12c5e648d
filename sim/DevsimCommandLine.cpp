#include "sim/DevsimCommandLine.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "sim/FaultPlan.h"
#include "support/ParseCommandLine.h"

namespace merivane::sim {
namespace {

constexpr char kNotes[] =
    "faults: silent:CMD error:CMD echo-only:CMD bad-xml:CMD huge:CMD garbage split slow:MS\n"
    "        unplug-after-bytes:N corrupt-upload corrupt-download\n"
    "        stall-upload:MS chatter-forever other-file:PATH longer-download:N\n"
    "        unlisted:NAME extra-operations hostile-text\n"
    "signals: SIGUSR1 unplugs the device, SIGUSR2 plugs it in again (a new terminal\n"
    "         behind the same link)\n"
    "MERIVANE_TIME_SCALE=N runs the device's delays N times faster";

// The command line, each option once with its help text; parsing it fills `line`.
std::unique_ptr<CLI::App> CommandLine(DevsimCommandLine& line) {
    auto app = std::make_unique<CLI::App>("", "merivane-devsim");
    app->get_formatter()->column_width(24);
    app->footer(kNotes);
    // --help is an option like the others: a malformed command line is an error with it too.
    app->set_help_flag();
    // Every occurrence of an option is read (its check runs on each); the last one counts.
    app->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);

    DeviceOptions& o = line.options;
    app->add_option("--link", "symbolic link to publish (required)")
        ->option_text("PATH")
        ->each([&o](const std::string& path) { o.linkPath = path; });
    app->add_option("--tty", "serve this existing terminal (a USB gadget's port) instead")
        ->option_text("PATH")
        ->each([&o](const std::string& path) { o.ttyPath = path; });
    app->add_option("--product", "the product (default brivel)")
        ->option_text("brivel|korvane")
        ->each([&o](const std::string& product) {
            if (product != "brivel" && product != "korvane")
                throw CommandLineError("--product must be brivel or korvane");
            o.product = product == "brivel" ? Product::Brivel : Product::Korvane;
        });
    app->add_flag_callback(
        "--no-radio", [&o] { o.radio = false; }, "gateway without the mesh radio module");
    app->add_flag_callback(
        "--no-echo", [&o] { o.echo = false; }, "do not echo command lines");
    app->add_flag("--chatter", o.chatter, "<pyPrint> and <usb> blocks inside answers");
    app->add_option("--autostart", "Python auto-start (overrides a saved state)")
        ->option_text("on|off")
        ->each([&o, &line](const std::string& state) {
            if (state != "on" && state != "off")
                throw CommandLineError("--autostart must be on or off");
            line.autostart = state == "on";
            o.autostart = *line.autostart;
        });
    app->add_option("--state-dir", "keep settings and files in DIR across runs")
        ->option_text("DIR")
        ->each([&o](const std::string& dir) { o.stateDir = dir; });
    app->add_option("--log", "record every byte received and sent, and each command taken")
        ->option_text("FILE")
        ->each([&o](const std::string& path) { o.logPath = path; });
    app->add_option("--fault", "misbehaviour, one of the faults below (repeatable)")
        ->option_text("SPEC")
        ->each([&o](const std::string& fault) {
            if (!FaultPlan().Add(fault)) throw CommandLineError("unknown fault: " + fault);
            o.faults.push_back(fault);
        });
    app->add_flag_callback(
        "--no-sim", [&o] { o.sim = false; }, "no SIM card");
    app->add_flag_callback(
        "--quiet-console", [&o] { o.console = false; }, "the console starts paused");
    app->add_flag("--signal-walk", o.signalWalk, "the signal drifts, drops out and comes back");
    app->add_flag("--help,-h", line.help, "this text");
    return app;
}

}  // namespace

std::string DevsimCommandLine::Usage() {
    DevsimCommandLine unused;
    return CommandLine(unused)->help();
}

bool DevsimCommandLine::Parse(const std::vector<std::string>& args, std::string& error) {
    const std::unique_ptr<CLI::App> app = CommandLine(*this);
    const auto unknown = [](const std::string& argument) { return "unknown option: " + argument; };
    if (!ParseCommandLine(*app, args, unknown, error)) return false;
    // A served terminal is its own name.
    if (options.linkPath.empty()) options.linkPath = options.ttyPath;
    if (!help && options.linkPath.empty()) {
        error = "--link PATH or --tty PATH is required";
        return false;
    }
    return true;
}

}  // namespace merivane::sim
