#include "cli/CliOptions.h"

#include "settings/SettingText.h"

#include <cstdlib>
#include <initializer_list>

namespace merivane::cli {
namespace {

// The commands and how many arguments each takes (-1: any number from the minimum).
struct CommandForm {
    const char* name;
    int minArgs;
    int maxArgs;
};

constexpr CommandForm kCommands[] = {
    {"ports", 0, 0},    {"info", 0, 0},           {"get", 1, -1},   {"set", 1, -1},
    {"backup", 1, 1},   {"restore", 1, 1},        {"reboot", 0, 0}, {"ls", 0, 0},
    {"upload", 1, 1},   {"download", 1, 2},       {"rm", 1, -1},    {"autostart", 1, 1},
    {"firmware", 1, 1}, {"radio-firmware", 1, 1}, {"monitor", 0, 0},
};

const CommandForm* FindCommand(const std::string& name) {
    for (const CommandForm& form : kCommands)
        if (name == form.name) return &form;
    return nullptr;
}

// A whole number from 0 to 1000.
bool ReadCount(const std::string& text, int& count) {
    if (text.empty() || text.size() > 4) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    count = std::atoi(text.c_str());
    return count <= 1000;
}

// The options that take a value; "--name VALUE" or "--name=VALUE".
bool TakesValue(const std::string& name) {
    return name == "--port" || name == "--log" || name == "--retries" || name == "--command" ||
           name == "--interval" || name == "--count" ||
           name == "--document" || name == "--if-version-not";
}

// The path with its links resolved, or as given when that fails (no such file yet).
std::string RealPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return path;
    const std::string resolved = real;
    std::free(real);
    return resolved;
}

// Whether `port` names a port already listed: the same path, or another name of the same
// file (a /dev/serial/by-id link and its device). A second process on one device would
// fight the first for it.
bool IsListedPort(const std::vector<std::string>& ports, const std::string& port) {
    const std::string real = RealPath(port);
    for (const std::string& listed : ports)
        if (listed == port || RealPath(listed) == real) return true;
    return false;
}

// False with `error` set when `option` was given to a command it does not belong to.
bool OptionFits(bool given, const char* option, std::initializer_list<const char*> commands,
                const CliOptions& options, std::string& error) {
    if (!given) return true;
    std::string names;
    size_t i = 0;
    for (const char* command : commands) {
        if (options.command == command) return true;
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
    if (options.command == "autostart" && options.args[0] != "on" && options.args[0] != "off") {
        error = "autostart takes \"on\" or \"off\"";
        return false;
    }
    if (!OptionFits(options.hasAutostartCommand, "--command", {"autostart"}, options, error) ||
        !OptionFits(options.document != DocumentChoice::Settings, "--document", {"get"}, options,
                    error) ||
        !OptionFits(options.check, "--check", {"set", "upload", "rm", "autostart", "firmware"},
                    options, error) ||
        !OptionFits(options.ifChanged, "--if-changed", {"upload"}, options, error) ||
        !OptionFits(options.ifPresent, "--if-present", {"rm"}, options, error) ||
        !OptionFits(!options.ifVersionNot.empty(), "--if-version-not", {"firmware"}, options,
                    error) ||
        !OptionFits(options.intervalSeconds != 2, "--interval", {"monitor"}, options, error) ||
        !OptionFits(options.count != 0, "--count", {"monitor"}, options, error))
        return false;
    if (options.command == "ports" && (options.all || !options.ports.empty())) {
        error = "ports lists the discovered ports; it takes no --port or --all";
        return false;
    }
    return true;
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
    bool optionsEnded = false;
    bool commandSeen = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool looksLikeOption = argument.size() > 1 && argument[0] == '-';
        if (optionsEnded || !looksLikeOption) {
            if (!commandSeen) {
                options.command = argument;
                commandSeen = true;
            } else {
                options.args.push_back(argument);
            }
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = argument;
        std::string value;
        bool hasValue = false;
        const size_t equals = argument.find('=');
        if (argument.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            hasValue = true;
        }
        if (TakesValue(name) && !hasValue) {
            if (i + 1 >= arguments.size()) {
                error = name + " needs a value";
                return false;
            }
            value = arguments[++i];
            hasValue = true;
        } else if (!TakesValue(name) && hasValue) {
            error = name + " takes no value";
            return false;
        }

        if (name == "--port") {
            if (value.empty()) {
                error = "--port needs a path";
                return false;
            }
            if (!IsListedPort(options.ports, value)) options.ports.push_back(value);
        } else if (name == "--all") {
            options.all = true;
        } else if (name == "--debug") {
            options.debug = true;
        } else if (name == "--log") {
            // Naming a log asks for one.
            options.logPath = value;
            options.debug = true;
        } else if (name == "--json") {
            options.json = true;
        } else if (name == "--yes" || name == "-y") {
            options.yes = true;
        } else if (name == "--retries") {
            if (!ReadCount(value, options.retries)) {
                error = "--retries takes a number from 0 to 1000";
                return false;
            }
        } else if (name == "--interval") {
            if (!ReadCount(value, options.intervalSeconds) || options.intervalSeconds == 0) {
                error = "--interval takes a number of seconds from 1 to 1000";
                return false;
            }
        } else if (name == "--count") {
            if (!ReadCount(value, options.count)) {
                error = "--count takes a number from 0 to 1000";
                return false;
            }
        } else if (name == "--command") {
            options.autostartCommand = value;
            options.hasAutostartCommand = true;
        } else if (name == "--document") {
            if (value == "settings") {
                options.document = DocumentChoice::Settings;
            } else if (value == "state") {
                options.document = DocumentChoice::State;
            } else if (value == "radio") {
                options.document = DocumentChoice::Radio;
            } else {
                error = "--document takes settings, state or radio";
                return false;
            }
        } else if (name == "--check") {
            options.check = true;
        } else if (name == "--if-changed") {
            options.ifChanged = true;
        } else if (name == "--if-present") {
            options.ifPresent = true;
        } else if (name == "--if-version-not") {
            if (value.empty()) {
                error = "--if-version-not needs a version";
                return false;
            }
            options.ifVersionNot = value;
        } else if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--version" || name == "-V") {
            options.version = true;
        } else {
            error = "unknown option \"" + argument + "\"";
            return false;
        }
    }
    if (options.help || options.version) return true;
    if (!commandSeen) {
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

const char* CliUsage() {
    return R"(Usage: merivane-cli [--port PATH | --all] [OPTIONS] COMMAND [ARGS]

Configures and maintains Varik cellular routers attached over USB, from scripts
and for many devices at once. Every run pauses the device's console first and
gives it back at the end; Python auto-start is left alone unless the
autostart command changes it.

Commands:
  ports                     the candidate ports that discovery finds, with
                            their providers
  info                      product, model, firmware, IMEI, IMSI, ICCID, phone
                            number, signal bars, registration, mobile IP
  get PATH...               settings by binding path, such as
                            mobile_simple/apn or mgmtconnection&index=3/
                            connectionEnabled
  set PATH=VALUE...         writes the settings, sends them to the device,
                            waits for them to take effect and prints what the
                            device reports; a value it did not take is an error;
                            sends nothing when the device has every value already
  backup FILE               saves the device's settings to FILE
  restore FILE              sends a backup to the device, which reboots
  reboot                    reboots the device
  ls                        the files of the device's Python folder
  upload FILE               sends FILE into the Python folder (MD5-verified);
                            with --if-changed only when the device's copy differs
  download NAME [DEST]      fetches a Python file (MD5-verified) to DEST, a
                            file or folder (default: NAME in this folder)
  rm NAME...                deletes Python files; with --if-present a file the
                            device does not have is passed over
  autostart on|off          switches Python auto-start; --command CMDLINE sets
                            the command line it runs (nothing is sent when the
                            device is so already)
  firmware FILE             updates the device firmware (asks first); with
                            --if-version-not VERSION only when the device's
                            firmware version is not VERSION
  radio-firmware FILE       updates the mesh radio firmware (asks first)
  monitor                   prints the signal every --interval seconds (time,
                            CSQ, dBm, bars, registration) until Ctrl+C or
                            --count samples; with --json one JSON object a line

Options:
  --port PATH               use this port instead of discovery; given several
                            times, runs on each of them as --all does
  --all                     run on every discovered device in parallel, one
                            process per device, and print a summary table
  --debug                   keep a command log ("command.log"; with several
                            devices "command-PORT.log" for each)
  --log FILE                keep the command log in FILE (implies --debug)
  --json                    print one JSON document for the command
  --yes, -y                 answer yes: confirm firmware updates, replace
                            existing files
  --retries N               after a failed transfer or check, try again N
                            times before giving up (default 3)
  --document settings|state|radio
                            the document get reads (default settings)
  --interval S              monitor: seconds between samples (default 2)
  --count N                 monitor: stop after N samples (default: never)
  --check                   set, upload, rm, autostart, firmware: say what
                            would change and change nothing
  --if-changed              upload: only when the device's copy differs
  --if-present              rm: pass over files the device does not have
  --if-version-not VERSION  firmware: only when the device's version differs
  --help, -h                this text
  --version, -V             the version

With several devices, FILE of backup and DEST of download get the port's
name added before the extension (backup.cfg -> backup-ttyACM0.cfg).

The JSON document says in "changed" whether the command changed the device
(with --check: would change it); set, upload, rm, autostart and firmware list
what differs in "changes", each with its "path", "before" and "after".

Without --port or --all, the one discovered device is used; when discovery
finds several, they are listed and nothing is done.

Progress goes to standard error when it is a terminal.

Exit status: 0 done, 1 the device or a transfer failed, 2 usage (including
input refused before anything was sent), 3 no device found, 130 interrupted.

Environment (testing and scripting aids):
  MERIVANE_CLI_PORTS="PROVIDER=PATH;PROVIDER=PATH"
                            discover these ports instead of asking udev
  MERIVANE_TIME_SCALE=N     run the tool's own pauses and waits N times faster
)";
}

}  // namespace merivane::cli
