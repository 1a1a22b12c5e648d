#include "ops/PythonAutostart.h"

#include "app/CKestrionApp.h"
#include "app/Prompts.h"
#include "app/SettingsApply.h"
#include "settings/Bindings.h"
#include "settings/DocumentStore.h"

namespace merivane {

BindingTable PythonAutostartBindings(int* enabled, std::string* commandLine,
                                     std::string enabledControl, std::string commandControl) {
    return {BindOnOff("python/state", enabled, std::move(enabledControl)),
            BindText("python/command", commandLine, std::move(commandControl))};
}

bool AutostartSettingsAcceptable(int enabled, const std::string& commandLine) {
    return !(enabled && commandLine.empty());
}

bool CheckAutostartSettings(int enabled, const std::string& commandLine, Prompts& prompts) {
    if (AutostartSettingsAcceptable(enabled, commandLine)) return true;
    prompts.Inform(kAutostartNeedsFileName, CKestrionApp::kDisplayName, Prompts::Icon::None);
    return false;
}

std::string AutostartProgram(const std::string& commandLine) {
    const size_t begin = commandLine.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    const size_t end = commandLine.find_first_of(" \t", begin);
    const std::string word =
        commandLine.substr(begin, end == std::string::npos ? end : end - begin);
    const size_t slash = word.rfind('/');
    return slash == std::string::npos ? word : word.substr(slash + 1);
}

std::string ActiveAutostartProgram(const DocumentStore& documents) {
    int state = 0;
    std::string command;
    ReadBindings(nullptr, PythonAutostartBindings(&state, &command), documents.SettingsNode());
    return state == 1 ? AutostartProgram(command) : std::string();
}

std::string DeletedAutostartProgramWarning(const std::string& program) {
    return program +
           " is the program Python auto-start runs: without it the device will start a program "
           "it does not have.";
}

std::string MissingAutostartProgramWarning(const std::string& program) {
    return "Python auto-start runs " + program +
           ", which is not in the device's Python folder: the device will start a program it "
           "does not have.";
}

AutostartOutcome ApplyPythonAutostart(bool enabled, const std::string* commandLine,
                                      DocumentStore& documents, BatchExecutor& executor,
                                      Prompts& prompts) {
    if (documents.SettingsNode() == nullptr) return AutostartOutcome::NothingToSend;
    int state = 0;
    std::string command;
    const BindingTable table = PythonAutostartBindings(&state, &command);
    ReadBindings(nullptr, table, documents.SettingsNode());
    state = enabled ? 1 : 0;
    if (commandLine != nullptr) command = *commandLine;
    if (!CheckAutostartSettings(state, command, prompts)) return AutostartOutcome::Refused;
    WriteBindings(table, documents.SettingsNode());
    switch (ApplySettings(executor, documents)) {
        case ApplyOutcome::Applied:
            return AutostartOutcome::Applied;
        case ApplyOutcome::ReadBackFailed:
            return AutostartOutcome::ReadBackFailed;
        case ApplyOutcome::NothingToSend:
            break;
    }
    return AutostartOutcome::NothingToSend;
}

}  // namespace merivane
