// The set command: compares the wanted values with the device's and sends the settings
// only when one of them differs; with --check it only tells.

#include <map>

#include "cli/DeviceCommands.h"
#include "cli/DeviceSession.h"
#include "cli/SettingValues.h"
#include "settings/SettingLimits.h"

namespace merivane::cli {
namespace {

// The settings of the command line in the order first named; a path given twice
// keeps the last value.
struct Assignments {
    std::vector<std::pair<std::string, std::string>> inOrder;  // as given, for writing
    std::vector<std::string> paths;                            // each path once
    std::map<std::string, std::string> wanted;                 // the value each path ends with
};

Assignments ReadAssignments(const std::vector<std::string>& arguments) {
    Assignments out;
    for (const std::string& argument : arguments) {
        std::string path;
        std::string value;
        SplitAssignment(argument, path, value);  // the form was checked with the arguments
        if (out.wanted.count(path) == 0) out.paths.push_back(path);
        out.wanted[path] = value;
        out.inOrder.emplace_back(path, value);
    }
    return out;
}

// Settings by path as the report's "values" (null for a path the device does not report).
Json ValuesOf(const std::vector<std::string>& paths,
              const std::vector<std::optional<std::string>>& values, bool showSecrets) {
    Json object = Json::object();
    for (size_t i = 0; i < paths.size(); ++i)
        object[paths[i]] = values[i] ? Json(ShownValue(paths[i], *values[i], showSecrets)) : Json();
    return object;
}

// False with the report failed when a path is not one setting the device has.
bool AllAreSettings(xmlNode* settings, const std::vector<std::string>& paths,
                    const std::vector<std::optional<std::string>>& values, CommandReport& report) {
    for (size_t i = 0; i < paths.size(); ++i) {
        if (!values[i]) {
            report.Fail(kExitUsage, "the device has no setting " + paths[i] + "; nothing was sent");
            return false;
        }
        if (NamesGroup(settings, paths[i])) {
            report.Fail(kExitUsage,
                        paths[i] + " is a group of settings, not one setting; nothing was sent");
            return false;
        }
    }
    return true;
}

// False with the report failed when a value is not one its setting takes (a port out of
// range, a baud rate the device does not offer, a word for a number).
bool AllValuesFit(xmlNode* settings, const Assignments& set, CommandReport& report) {
    for (const auto& [path, value] : set.inOrder) {
        const SettingLimit* limit = FindSettingLimit(settings, path);
        if (limit == nullptr) continue;
        if (const std::string takes = SettingValueProblem(*limit, value); !takes.empty()) {
            report.Fail(kExitUsage,
                        path + " takes " + takes + ", not \"" + value + "\"; nothing was sent");
            return false;
        }
    }
    return true;
}

// Sends the settings, waits for them to take effect and reports what the device took.
void Apply(DeviceSession& session, const Assignments& set, CommandReport& report) {
    const bool showSecrets = session.Options().showSecrets;
    DocumentStore& documents = session.App().Documents();
    WriteSettingValues(documents.SettingsNode(), set.inOrder);
    const ApplyOutcome outcome = session.App().ApplySettings(session.Executor());
    if (outcome == ApplyOutcome::NothingToSend) {
        report.Fail(kExitFailed, "no settings to send");
        return;
    }
    report.MarkChanged();

    const auto after = ReadSettingValues(documents.SettingsNode(), set.paths);
    report.Data()["values"] = ValuesOf(set.paths, after, showSecrets);
    if (outcome == ApplyOutcome::ReadBackFailed) {
        report.Fail(kExitFailed, "the device did not send its settings back after taking them");
        return;
    }
    for (size_t i = 0; i < set.paths.size(); ++i) {
        const std::string& path = set.paths[i];
        const std::string& wanted = set.wanted.at(path);
        if (after[i] && *after[i] == wanted) continue;
        report.Fail(
            kExitFailed,
            "the device did not take " + path + "=" + ShownValue(path, wanted, showSecrets) +
                (after[i] ? " (it reports \"" + ShownValue(path, *after[i], showSecrets) + "\")"
                          : " (it no longer reports the setting)"));
    }
}

}  // namespace

void RunSet(DeviceSession& session, CommandReport& report) {
    const Assignments set = ReadAssignments(session.Options().args);
    xmlNode* settings = session.App().Documents().SettingsNode();
    if (settings == nullptr) {
        report.Fail(kExitFailed, kSettingsNotLoaded);
        return;
    }
    const auto before = ReadSettingValues(settings, set.paths);
    if (!AllAreSettings(settings, set.paths, before, report) ||
        !AllValuesFit(settings, set, report))
        return;

    report.ListChanges();
    const bool showSecrets = session.Options().showSecrets;
    bool anyDiffers = false;
    Json compared = Json::array();
    for (size_t i = 0; i < set.paths.size(); ++i) {
        const std::string& path = set.paths[i];
        const std::string& wanted = set.wanted.at(path);
        const bool differs = *before[i] != wanted;
        anyDiffers = anyDiffers || differs;
        const std::string current = ShownValue(path, *before[i], showSecrets);
        const std::string shownWanted = ShownValue(path, wanted, showSecrets);
        if (differs) report.AddChange(path, current, shownWanted);
        compared.push_back(
            {{"path", path}, {"current", current}, {"wanted", shownWanted}, {"change", differs}});
    }
    if (session.Options().check) {
        report.Data()["settings"] = std::move(compared);
        return;
    }
    if (!anyDiffers) {
        // Sending the same values again would only cost the device its settle pause.
        report.Data()["values"] = ValuesOf(set.paths, before, showSecrets);
        session.Prompter().Say("The device has these values already; nothing was sent.");
        return;
    }
    Apply(session, set, report);
}

}  // namespace merivane::cli
