#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <sstream>

#include "settings/SettingText.h"
#include "support/ParseCommandLine.h"
#include "support/ResolvedPath.h"

namespace merivane::cli {
namespace {

// The commands: how --help shows each with its arguments, how many arguments it takes
// (-1: any number from the minimum) and what it does.
struct CommandForm {
    const char* name;
    const char* synopsis;
    int minArgs;
    int maxArgs;
    const char* help;
};

constexpr CommandForm kCommands[] = {
    {"ports", "ports", 0, 0,
     "the candidate ports that discovery finds, with\n"
     "their providers"},
    {"info", "info", 0, 0,
     "product, model, firmware, IMEI, IMSI, ICCID, phone\n"
     "number, signal bars, registration, mobile IP"},
    {"get", "get PATH...", 1, -1,
     "settings by binding path, such as\n"
     "mobile_simple/apn or mgmtconnection&index=3/\n"
     "connectionEnabled"},
    {"set", "set PATH=VALUE...", 1, -1,
     "writes the settings, sends them to the device,\n"
     "waits for them to take effect and prints what the\n"
     "device reports; a value it did not take is an error;\n"
     "sends nothing when the device has every value already"},
    {"backup", "backup FILE", 1, 1, "saves the device's settings to FILE"},
    {"restore", "restore [--only PATH...] FILE", 1, -1,
     "sends a backup to the device, which reboots; with\n"
     "--only just those settings of FILE, in one set\n"
     "request, without a reboot"},
    {"diff", "diff FILE", 1, 1,
     "the settings whose values differ between the device\n"
     "and FILE (a backup or a template of some groups),\n"
     "one line each: PATH: DEVICE -> FILE; exit 1 when\n"
     "any differs, 4 when the device failed"},
    {"report", "report [FILE]", 0, 1,
     "saves a diagnostic report for support (.tar.gz:\n"
     "documents and command log with secrets masked,\n"
     "signal, host facts); default name from the IMEI\n"
     "and the time"},
    {"reboot", "reboot", 0, 0, "reboots the device"},
    {"ls", "ls", 0, 0, "the files of the device's Python folder"},
    {"upload", "upload FILE", 1, 1,
     "sends FILE into the Python folder (MD5-verified);\n"
     "with --if-changed only when the device's copy differs"},
    {"download", "download NAME [DEST]", 1, 2,
     "fetches a Python file (MD5-verified) to DEST, a\n"
     "file or folder (default: NAME in this folder)"},
    {"rm", "rm NAME...", 1, -1,
     "deletes Python files; with --if-present a file the\n"
     "device does not have is passed over"},
    {"autostart", "autostart on|off", 1, 1,
     "switches Python auto-start; --command CMDLINE sets\n"
     "the command line it runs (nothing is sent when the\n"
     "device is so already)"},
    {"firmware", "firmware FILE", 1, 1,
     "updates the device firmware (asks first); with\n"
     "--if-version-not VERSION only when the device's\n"
     "firmware version is not VERSION"},
    {"radio-firmware", "radio-firmware FILE", 1, 1, "updates the mesh radio firmware (asks first)"},
    {"monitor", "monitor", 0, 0,
     "prints the signal every --interval seconds (time,\n"
     "CSQ, dBm, bars, registration) until Ctrl+C or\n"
     "--count samples; with --json one JSON object a line"},
};

constexpr char kAbout[] =
    "Configures and maintains Varik cellular routers attached over USB, from scripts\n"
    "and for many devices at once. Every run pauses the device's console first and\n"
    "gives it back at the end; Python auto-start is left alone unless the\n"
    "autostart command changes it.";

constexpr char kNotes[] =
    R"(With several devices, FILE of backup and report and DEST of download get the
port's name added before the extension (backup.cfg -> backup-ttyACM0.cfg).

The JSON document says in "changed" whether the command changed the device
(with --check: would change it); set, upload, rm, autostart and firmware list
what differs in "changes", each with its "path", "before" and "after".

Without --port or --all, the one discovered device is used; when discovery
finds several, they are listed and nothing is done.

Progress goes to standard error when it is a terminal.

Exit status: 0 done, 1 the device or a transfer failed, 2 usage (including
input refused before anything was sent), 3 no device found, 130 interrupted.
diff, as diff(1): 0 the same, 1 some setting differs; when the device failed, 4.

Environment (testing and scripting aids):
  MERIVANE_CLI_PORTS="PROVIDER=PATH;PROVIDER=PATH"
                            discover these ports instead of asking udev
  MERIVANE_TIME_SCALE=N     run the tool's own pauses and waits N times faster)";

// The options that belong to some commands only (up to five, the rest null); every other
// option goes with any command.
struct OptionOwners {
    const char* option;
    std::array<const char*, 5> commands;
};

constexpr OptionOwners kCommandOptions[] = {
    {"--command", {"autostart"}},
    {"--document", {"get"}},
    {"--check", {"set", "upload", "rm", "autostart", "firmware"}},
    {"--if-changed", {"upload"}},
    {"--if-present", {"rm"}},
    {"--only", {"restore"}},
    {"--if-version-not", {"firmware"}},
    {"--interval", {"monitor"}},
    {"--count", {"monitor"}},
};

// The commands `option` belongs to; empty for an option of every command.
std::vector<std::string> OwnersOf(std::string_view option) {
    std::vector<std::string> owners;
    for (const OptionOwners& entry : kCommandOptions)
        if (option == entry.option)
            for (const char* command : entry.commands)
                if (command != nullptr) owners.emplace_back(command);
    return owners;
}

bool BelongsTo(std::string_view option, const std::string& command) {
    const std::vector<std::string> owners = OwnersOf(option);
    return owners.empty() || std::find(owners.begin(), owners.end(), command) != owners.end();
}

const CommandForm* FindCommand(const std::string& name) {
    for (const CommandForm& form : kCommands)
        if (name == form.name) return &form;
    return nullptr;
}

// A whole number from `least` to 1000; anything else refuses the command line with `refusal`.
int ReadCount(const std::string& text, int least, const char* refusal) {
    const bool digits = !text.empty() && text.size() <= 4 &&
                        text.find_first_not_of("0123456789") == std::string::npos;
    const int count = digits ? std::atoi(text.c_str()) : -1;
    if (count < least || count > 1000) throw CommandLineError(refusal);
    return count;
}

// Whether `port` names a port already listed: the same path, or another name of the same
// file (a /dev/serial/by-id link and its device). A second process on one device would
// fight the first for it.
bool IsListedPort(const std::vector<std::string>& ports, const std::string& port) {
    const std::string real = ResolvedPath(port);
    for (const std::string& listed : ports)
        if (listed == port || ResolvedPath(listed) == real) return true;
    return false;
}

// False with `error` set when `option` was given to a command it does not belong to.
bool OptionFits(bool given, const char* option, const CliOptions& options, std::string& error) {
    if (!given || BelongsTo(option, options.command)) return true;
    const std::vector<std::string> commands = OwnersOf(option);
    std::string names;
    size_t i = 0;
    for (const std::string& command : commands) {
        names += (i == 0 ? "" : i + 1 == commands.size() ? " and " : ", ") + std::string(command);
        ++i;
    }
    error = std::string(option) + " belongs to the " + names +
            (commands.size() > 1 ? " commands" : " command");
    return false;
}

bool CheckCommandArguments(const CliOptions& options, std::string& error) {
    const CommandForm* form = FindCommand(options.command);
    if (form == nullptr) {
        error = "unknown command \"" + options.command + "\"";
        return false;
    }
    const int count = static_cast<int>(options.args.size());
    if (count < form->minArgs || (form->maxArgs >= 0 && count > form->maxArgs)) {
        error = std::string("wrong number of arguments for \"") + form->name + "\"";
        return false;
    }
    if (options.command == "set") {
        for (const std::string& assignment : options.args) {
            std::string path;
            std::string value;
            if (!SplitAssignment(assignment, path, value)) {
                error = "\"" + assignment + "\" is not PATH=VALUE";
                return false;
            }
            // A value the document cannot carry would reach the device as an empty setting.
            if (const std::string why = SettingTextProblem(value, true); !why.empty()) {
                error = "the value for " + path + " cannot be sent: " + why + "; nothing was sent";
                return false;
            }
        }
    }
    if (options.command == "get") {
        for (const std::string& path : options.args) {
            if (path.empty()) {
                error = "an empty setting path";
                return false;
            }
        }
    }
    if (options.command == "restore" && (options.only ? count < 2 : count != 1)) {
        error = options.only ? "restore --only takes PATH... FILE" : "restore takes one FILE";
        return false;
    }
    if (options.command == "autostart" && options.args[0] != "on" && options.args[0] != "off") {
        error = "autostart takes \"on\" or \"off\"";
        return false;
    }
    if (!OptionFits(options.hasAutostartCommand, "--command", options, error) ||
        !OptionFits(options.document != DocumentChoice::Settings, "--document", options, error) ||
        !OptionFits(options.check, "--check", options, error) ||
        !OptionFits(options.ifChanged, "--if-changed", options, error) ||
        !OptionFits(options.ifPresent, "--if-present", options, error) ||
        !OptionFits(options.only, "--only", options, error) ||
        !OptionFits(!options.ifVersionNot.empty(), "--if-version-not", options, error) ||
        !OptionFits(options.intervalSeconds != 2, "--interval", options, error) ||
        !OptionFits(options.count != 0, "--count", options, error))
        return false;
    if (options.command == "ports" && (options.all || !options.ports.empty())) {
        error = "ports lists the discovered ports; it takes no --port or --all";
        return false;
    }
    return true;
}

// CLI11's help with the usage line first, then what the program does and its commands,
// which are arguments rather than CLI11 subcommands (options may come after them). For one
// command (`form`), its usage line and what it does instead.
class HelpFormatter : public CLI::Formatter {
  public:
    explicit HelpFormatter(const CommandForm* form = nullptr) : form_(form) {}
    std::string make_description(const CLI::App*) const override { return {}; }
    std::string make_usage(const CLI::App* app, std::string name) const override {
        std::ostringstream out;
        out << get_label("Usage") << ": " << name << " [--port PATH | --all] [OPTIONS] ";
        if (form_ != nullptr) {
            std::string help = form_->help;
            for (char& c : help)
                if (c == '\n') c = ' ';
            out << form_->synopsis << "\n\n" << help << ".\n";
            return out.str();
        }
        out << "COMMAND [ARGS]\n\n" << app->get_description() << "\n\nCommands:\n";
        for (const CommandForm& form : kCommands)
            CLI::detail::format_help(out, form.synopsis, form.help, get_column_width());
        return out.str();
    }

  private:
    const CommandForm* form_;
};

// The command line, each option once with its help text; parsing it fills `o`.
std::unique_ptr<CLI::App> CommandLine(CliOptions& o) {
    auto app = std::make_unique<CLI::App>(kAbout, "merivane-cli");
    auto help = std::make_shared<HelpFormatter>();
    help->column_width(28);
    app->formatter(help);
    app->footer(kNotes);
    // --help is an option like the others: a malformed command line is an error with it too.
    app->set_help_flag();
    // Every occurrence of an option is read (its check runs on each); the last one counts.
    app->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);

    // The command and its arguments, listed under Commands rather than by CLI11; after "--"
    // every argument is one of them.
    app->add_option("COMMAND", o.command)->group("");
    app->add_option("ARGS", o.args)->group("");

    app->add_option("--port",
                    "use this port instead of discovery; given several\n"
                    "times, runs on each of them as --all does")
        ->option_text("PATH")
        ->each([&o](const std::string& path) {
            if (path.empty()) throw CommandLineError("--port needs a path");
            if (!IsListedPort(o.ports, path)) o.ports.push_back(path);
        });
    app->add_flag("--all", o.all,
                  "run on every discovered device in parallel, one\n"
                  "process per device, and print a summary table");
    app->add_flag("--debug", o.debug,
                  "keep a command log (\"command.log\"; with several\n"
                  "devices \"command-PORT.log\" for each)");
    app->add_option("--log", "keep the command log in FILE (implies --debug)")
        ->option_text("FILE")
        ->each([&o](const std::string& path) {
            // Naming a log asks for one.
            o.logPath = path;
            o.debug = true;
        });
    app->add_flag("--json", o.json, "print one JSON document for the command");
    app->add_flag("--yes,-y", o.yes,
                  "answer yes: confirm firmware updates, replace\n"
                  "existing files");
    app->add_flag("--show-secrets", o.showSecrets,
                  "show passwords and PINs in clear (otherwise\n"
                  "\"********\")");
    app->add_option("--retries",
                    "after a failed transfer or check, try again N\n"
                    "times before giving up (default 3)")
        ->option_text("N")
        ->each([&o](const std::string& value) {
            o.retries = ReadCount(value, 0, "--retries takes a number from 0 to 1000");
        });
    app->add_option("--command", "autostart: the command line auto-start runs")
        ->option_text("CMDLINE")
        ->each([&o](const std::string& command) {
            o.autostartCommand = command;
            o.hasAutostartCommand = true;
        });
    app->add_option("--document", "the document get reads (default settings)")
        ->option_text("settings|state|radio")
        ->each([&o](const std::string& value) {
            for (DocumentChoice choice :
                 {DocumentChoice::Settings, DocumentChoice::State, DocumentChoice::Radio}) {
                if (value == DocumentChoiceName(choice)) {
                    o.document = choice;
                    return;
                }
            }
            throw CommandLineError("--document takes settings, state or radio");
        });
    app->add_option("--interval", "monitor: seconds between samples (default 2)")
        ->option_text("S")
        ->each([&o](const std::string& value) {
            o.intervalSeconds =
                ReadCount(value, 1, "--interval takes a number of seconds from 1 to 1000");
        });
    app->add_option("--count", "monitor: stop after N samples (default: never)")
        ->option_text("N")
        ->each([&o](const std::string& value) {
            o.count = ReadCount(value, 0, "--count takes a number from 0 to 1000");
        });
    app->add_flag("--check", o.check,
                  "set, upload, rm, autostart, firmware: say what\n"
                  "would change and change nothing");
    app->add_flag("--if-changed", o.ifChanged, "upload: only when the device's copy differs");
    app->add_flag("--if-present", o.ifPresent, "rm: pass over files the device does not have");
    app->add_flag("--only", o.only,
                  "restore: send only the settings PATH... of FILE,\n"
                  "without a reboot");
    app->add_option("--if-version-not", "firmware: only when the device's version differs")
        ->option_text("VERSION")
        ->each([&o](const std::string& version) {
            if (version.empty()) throw CommandLineError("--if-version-not needs a version");
            o.ifVersionNot = version;
        });
    app->add_flag("--help,-h", o.help, "this text");
    app->add_flag("--version,-V", o.version, "the version");
    return app;
}
}  // namespace

bool SplitAssignment(const std::string& argument, std::string& path, std::string& value) {
    // Within one path component the first "&" opens a selector, whose first "=" is its own.
    bool selector = false;
    bool selectorEquals = false;
    for (size_t i = 0; i < argument.size(); ++i) {
        const char c = argument[i];
        if (c == '/') {
            selector = false;
            selectorEquals = false;
        } else if (c == '&' && !selector) {
            selector = true;
        } else if (c == '=' && selector && !selectorEquals) {
            selectorEquals = true;
        } else if (c == '=') {
            if (i == 0) return false;
            path = argument.substr(0, i);
            value = argument.substr(i + 1);
            return true;
        }
    }
    return false;
}

bool ParseCliArguments(const std::vector<std::string>& arguments, CliOptions& options,
                       std::string& error) {
    const std::unique_ptr<CLI::App> app = CommandLine(options);
    const auto unknown = [](const std::string& argument) {
        return "unknown option \"" + argument + "\"";
    };
    if (!ParseCommandLine(*app, arguments, unknown, error)) return false;
    if (options.help || options.version) return true;
    if (app->count("COMMAND") == 0) {
        error = "no command given";
        return false;
    }
    if (options.all && !options.ports.empty()) {
        error = "--all and --port do not go together";
        return false;
    }
    return CheckCommandArguments(options, error);
}

std::vector<std::string> CommandArguments(const CliOptions& options) {
    std::vector<std::string> out;
    if (options.yes) out.push_back("--yes");
    if (options.showSecrets) out.push_back("--show-secrets");
    out.push_back("--retries=" + std::to_string(options.retries));
    if (options.hasAutostartCommand) out.push_back("--command=" + options.autostartCommand);
    if (options.document != DocumentChoice::Settings)
        out.push_back(std::string("--document=") + DocumentChoiceName(options.document));
    if (options.command == "monitor") {
        out.push_back("--interval=" + std::to_string(options.intervalSeconds));
        out.push_back("--count=" + std::to_string(options.count));
    }
    if (options.check) out.push_back("--check");
    if (options.ifChanged) out.push_back("--if-changed");
    if (options.ifPresent) out.push_back("--if-present");
    if (options.only) out.push_back("--only");
    if (!options.ifVersionNot.empty()) out.push_back("--if-version-not=" + options.ifVersionNot);
    out.push_back(options.command);
    // Arguments that look like options must not be read as ones.
    out.push_back("--");
    out.insert(out.end(), options.args.begin(), options.args.end());
    return out;
}

const char* DocumentChoiceName(DocumentChoice choice) {
    switch (choice) {
        case DocumentChoice::State:
            return "state";
        case DocumentChoice::Radio:
            return "radio";
        case DocumentChoice::Settings:
            break;
    }
    return "settings";
}

std::string CliUsage(const std::string& command) {
    CliOptions unused;
    const std::unique_ptr<CLI::App> app = CommandLine(unused);
    const CommandForm* form = FindCommand(command);
    if (form == nullptr) return app->help();
    // The command's own: its usage and the options that go with it, without the notes on
    // every command.
    auto help = std::make_shared<HelpFormatter>(form);
    help->column_width(28);
    app->formatter(help);
    app->footer("");
    for (CLI::Option* option : app->get_options())
        if (!BelongsTo(option->get_name(), command)) option->group("");
    return app->help();
}

}  // namespace merivane::cli
