#pragma once

#include <string>
#include <vector>

namespace merivane::cli {

// Which document "get" reads.
enum class DocumentChoice { Settings, State, Radio };

// Everything the command line says, checked for form (not against a device).
struct CliOptions {
    std::vector<std::string> ports;  // --port PATH, each once (repeatable: runs as --all does)
    bool all = false;                // --all: every discovered device, one process each
    bool debug = false;              // --debug: keep a command log
    std::string logPath;             // --log FILE: where (default "command.log"); implies --debug
    bool json = false;               // --json: one JSON document on standard output
    bool yes = false;                // --yes: confirm, and replace existing files
    bool showSecrets = false;        // --show-secrets: passwords and PINs in clear
    int retries = 3;                 // --retries N: Retry answers before Cancel
    std::string autostartCommand;    // --command CMDLINE (autostart)
    bool hasAutostartCommand = false;
    DocumentChoice document = DocumentChoice::Settings;  // --document (get)
    int intervalSeconds = 2;   // --interval S (monitor): seconds between samples
    int count = 0;             // --count N (monitor): samples before ending; 0: until Ctrl+C
    bool check = false;        // --check: say what would change, change nothing
    bool ifChanged = false;    // --if-changed (upload): only a file that differs
    bool ifPresent = false;    // --if-present (rm): absent files are not an error
    bool only = false;         // --only (restore): the arguments are PATH... FILE
    std::string ifVersionNot;  // --if-version-not VERSION (firmware)
    bool help = false;
    bool version = false;

    std::string command;            // "info", "set", ...
    std::vector<std::string> args;  // the command's own arguments

    // Several devices, each in its own process.
    bool RunsOnSeveral() const { return all || ports.size() > 1; }
    // The one port named, or empty.
    std::string Port() const { return ports.size() == 1 ? ports.front() : std::string(); }
    std::string LogPath() const { return logPath.empty() ? "command.log" : logPath; }
};

// Reads the arguments (without the program name) with the command line's one declaration
// of every option. Options may come before or after the command; "--" ends the options.
// False with `error` set for anything malformed: an unknown option or command, a missing
// or extra argument, "set" without "PATH=VALUE".
bool ParseCliArguments(const std::vector<std::string>& arguments, CliOptions& options,
                       std::string& error);

// Splits "PATH=VALUE" at the first "=" that is not the one of an attribute selector
// ("mgmtconnection&index=3/connectionEnabled=on": the path ends before "=on"). False when
// there is no such "=" or the path is empty.
bool SplitAssignment(const std::string& argument, std::string& path, std::string& value);

// The command's arguments and options as a command line again, for the per-device runs
// (without --port, --all, --debug, --log and --json, which the runner sets itself).
std::vector<std::string> CommandArguments(const CliOptions& options);

// "settings", "state" or "radio".
const char* DocumentChoiceName(DocumentChoice choice);

// The --help text: of one command when `command` names one ("upload --help"), else of
// the whole program.
std::string CliUsage(const std::string& command = {});

}  // namespace merivane::cli
