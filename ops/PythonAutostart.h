#pragma once

#include <string>

#include "settings/SettingBinding.h"

namespace merivane {

class BatchExecutor;
class DocumentStore;
class Prompts;

inline constexpr char kAutostartNeedsFileName[] = "Please enter the filename for python auto-start";

// The auto-start settings, bound to the given members: "python/state" (on/off) and
// "python/command" (text); the controls to show are named by the caller.
BindingTable PythonAutostartBindings(int* enabled, std::string* commandLine,
                                     std::string enabledControl = {},
                                     std::string commandControl = {});

// False when auto-start is on without a command line to run.
bool AutostartSettingsAcceptable(int enabled, const std::string& commandLine);

// The same check, saying "Please enter the filename for python auto-start" on refusal.
bool CheckAutostartSettings(int enabled, const std::string& commandLine, Prompts& prompts);

// The file a command line starts: its first word, without a folder ("main.py" for
// "main.py --fast" and for "/WEB/python/main.py"). Empty for a blank command line.
std::string AutostartProgram(const std::string& commandLine);

// The program auto-start runs as the loaded settings have it; empty when auto-start is off
// or no settings are loaded.
std::string ActiveAutostartProgram(const DocumentStore& documents);

// What the user is told when the device would start a program it does not have: deleting
// the program auto-start runs, and switching auto-start on for a file the device lacks.
std::string DeletedAutostartProgramWarning(const std::string& program);
std::string MissingAutostartProgramWarning(const std::string& program);

enum class AutostartOutcome {
    Applied,         // sent and read back
    Refused,         // on without a command line (said); nothing sent
    ReadBackFailed,  // sent, but the read-back gave no document
    NothingToSend,   // no settings document is loaded
};

// Sets auto-start on or off, and the command line when `commandLine` is given (else the
// loaded one stays), then applies the settings document as every settings page does.
AutostartOutcome ApplyPythonAutostart(bool enabled, const std::string* commandLine,
                                      DocumentStore& documents, BatchExecutor& executor,
                                      Prompts& prompts);

}  // namespace merivane
