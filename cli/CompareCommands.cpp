// The commands that hold the device's settings against a file: diff, and restore --only.

#include "cli/DeviceCommands.h"
#include "cli/DeviceSession.h"
#include "cli/SettingValues.h"
#include "ops/SelectedSettings.h"
#include "ops/SettingsFile.h"
#include "settings/SettingsComparison.h"

namespace merivane::cli {
namespace {

// The file's settings request, or null with the report failed.
XmlDocPtr ReadFile(const std::string& path, CommandReport& report) {
    std::string problem;
    XmlDocPtr file = ReadSettingsFile(path, problem);
    if (file == nullptr) report.Fail(kExitUsage, problem);
    return file;
}

}  // namespace

void RunDiff(DeviceSession& session, CommandReport& report) {
    xmlNode* settings = session.App().Documents().SettingsNode();
    if (settings == nullptr) {
        report.Fail(kExitFailed, "the device's settings are not loaded (they could not be read)");
        return;
    }
    const XmlDocPtr file = ReadFile(session.Options().args.front(), report);
    if (file == nullptr) return;
    const bool showSecrets = session.Options().showSecrets;
    const std::vector<SettingDifference> differences =
        CompareSettings(settings, SettingsStart(file.get()));
    Json listed = Json::array();
    for (const SettingDifference& difference : differences) {
        const std::string device = ShownValue(difference.path, difference.device, showSecrets);
        const std::string wanted = ShownValue(difference.path, difference.file, showSecrets);
        // The text lists "PATH: DEVICE -> FILE", the JSON document the three apart.
        if (session.Options().json)
            listed.push_back({{"path", difference.path}, {"device", device}, {"file", wanted}});
        else
            report.Data()[difference.path] = device + " -> " + wanted;
    }
    if (session.Options().json) report.Data()["differences"] = std::move(listed);
    if (!differences.empty())
        report.Differs(std::to_string(differences.size()) +
                       (differences.size() == 1 ? " setting differs" : " settings differ"));
}

void RunRestoreOnly(DeviceSession& session, CommandReport& report) {
    std::vector<std::string> paths = session.Options().args;
    const std::string path = paths.back();
    paths.pop_back();
    report.Data()["file"] = path;
    DocumentStore& documents = session.App().Documents();
    if (documents.SettingsNode() == nullptr) {
        report.Fail(kExitFailed, kSettingsNotLoaded);
        return;
    }
    const XmlDocPtr file = ReadFile(path, report);
    if (file == nullptr) return;
    std::vector<std::string> missing;
    const XmlDocPtr request = SelectSettings(file.get(), paths, &missing);
    if (!missing.empty()) {
        std::string names;
        for (const std::string& name : missing) names += (names.empty() ? "" : ", ") + name;
        report.Fail(kExitUsage, "the file holds no setting " + names + "; nothing was sent");
        return;
    }
    const ApplyOutcome outcome = ApplySettingsRequest(session.Executor(), documents, request.get());
    report.MarkChanged();
    const auto after = ReadSettingValues(documents.SettingsNode(), paths);
    Json values = Json::object();
    for (size_t i = 0; i < paths.size(); ++i)
        values[paths[i]] =
            after[i] ? Json(ShownValue(paths[i], *after[i], session.Options().showSecrets))
                     : Json();
    report.Data()["values"] = std::move(values);
    if (outcome != ApplyOutcome::Applied)
        report.Fail(kExitFailed, "the device did not send its settings back after taking them");
}

}  // namespace merivane::cli
