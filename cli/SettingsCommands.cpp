// The commands on the device's documents: info, get, set, backup, restore.

#include <map>

#include "ops/ConfigurationBackup.h"
#include "ops/ConfigurationRestore.h"
#include "app/DeviceStatus.h"
#include "app/Product.h"
#include "cli/DeviceCommands.h"
#include "cli/DeviceSession.h"
#include "cli/SettingValues.h"

namespace merivane::cli {
namespace {

// The start node of the document `get` reads, or null when the device sent none.
xmlNode* ChosenDocument(DeviceSession& session) {
    const DocumentStore& documents = session.App().Documents();
    switch (session.Options().document) {
        case DocumentChoice::State:
            return documents.StateNode();
        case DocumentChoice::Radio:
            return documents.ZelboNode();
        case DocumentChoice::Settings:
            break;
    }
    return documents.SettingsNode();
}

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

}  // namespace

void RunInfo(DeviceSession& session, CommandReport& report) {
    CKestrionApp& app = session.App();
    const DeviceIdentity& identity = app.Identity();
    const DeviceStatus status = ReadDeviceStatus(app.Documents());
    const SignalMeter meter = SignalMeterFor(status, identity.signalQuality);
    JsonValue& data = report.Data();
    data.Set("status", identity.status);
    data.Set("product", g_product);
    data.Set("model", status.model);
    data.Set("firmware", status.firmware);
    data.Set("imei", identity.serialNumber);
    data.Set("imsi", identity.imsi);
    data.Set("iccid", status.iccid);
    data.Set("phone_number", identity.phoneNumber);
    data.Set("modem_type", identity.modemMaker);
    data.Set("modem_revision", identity.modemRevision);
    data.Set("signal_quality", identity.signalQuality);
    data.Set("signal_bars", meter.lit);
    data.Set("signal_scale", meter.scale);
    data.Set("registration", identity.registration);
    data.Set("mobile_ip", status.ipAddress);
    data.Set("link", LinkIndicatorLit(status.ipAddress));
    if (!IsKorvane(g_product)) data.Set("mesh_radio", app.Documents().ZelboPresent());
}

void RunGet(DeviceSession& session, CommandReport& report) {
    const std::vector<std::string>& paths = session.Options().args;
    xmlNode* start = ChosenDocument(session);
    if (start == nullptr) {
        report.Fail(kExitFailed, std::string("the device sent no ") +
                                     DocumentChoiceName(session.Options().document) + " document");
        return;
    }
    for (const std::string& path : paths) {
        // A group's text would be its first member's value, shown as the group's.
        if (NamesGroup(start, path)) {
            report.Fail(kExitUsage, path + " is a group of settings, not one setting");
            return;
        }
    }
    const auto values = ReadSettingValues(start, paths);
    JsonValue found = JsonValue::Object();
    std::vector<std::string> missing;
    for (size_t i = 0; i < paths.size(); ++i) {
        found.Set(paths[i], values[i] ? JsonValue(*values[i]) : JsonValue());
        if (!values[i]) missing.push_back(paths[i]);
    }
    report.Data().Set("values", found);
    if (!missing.empty()) report.Fail(kExitFailed, "the device has no setting " + Joined(missing));
}

void RunSet(DeviceSession& session, CommandReport& report) {
    std::vector<std::pair<std::string, std::string>> assignments;
    // The value each path must have afterwards: the last one given for it.
    std::map<std::string, std::string> wanted;
    std::vector<std::string> paths;
    for (const std::string& argument : session.Options().args) {
        std::string path;
        std::string value;
        SplitAssignment(argument, path, value);  // the form was checked with the arguments
        if (wanted.count(path) == 0) paths.push_back(path);
        wanted[path] = value;
        assignments.emplace_back(path, value);
    }

    DocumentStore& documents = session.App().Documents();
    if (documents.SettingsNode() == nullptr) {
        report.Fail(kExitFailed, kSettingsNotLoaded);
        return;
    }
    const auto before = ReadSettingValues(documents.SettingsNode(), paths);
    for (size_t i = 0; i < paths.size(); ++i) {
        if (!before[i]) {
            report.Fail(kExitUsage,
                        "the device has no setting " + paths[i] + "; nothing was sent");
            return;
        }
        if (NamesGroup(documents.SettingsNode(), paths[i])) {
            report.Fail(kExitUsage,
                        paths[i] + " is a group of settings, not one setting; nothing was sent");
            return;
        }
    }

    WriteSettingValues(documents.SettingsNode(), assignments);
    const ApplyOutcome outcome = session.App().ApplySettings(session.Executor());
    if (outcome == ApplyOutcome::NothingToSend) {
        report.Fail(kExitFailed, "no settings to send");
        return;
    }

    const auto after = ReadSettingValues(documents.SettingsNode(), paths);
    JsonValue reported = JsonValue::Object();
    for (size_t i = 0; i < paths.size(); ++i)
        reported.Set(paths[i], after[i] ? JsonValue(*after[i]) : JsonValue());
    report.Data().Set("values", reported);
    if (outcome == ApplyOutcome::ReadBackFailed) {
        report.Fail(kExitFailed, "the device did not send its settings back after taking them");
        return;
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        if (after[i] && *after[i] == wanted[paths[i]]) continue;
        report.Fail(kExitFailed, "the device did not take " + paths[i] + "=" + wanted[paths[i]] +
                                     (after[i] ? " (it reports \"" + *after[i] + "\")"
                                               : " (it no longer reports the setting)"));
    }
}

void RunBackup(DeviceSession& session, CommandReport& report) {
    CliPrompts& prompts = session.Prompter();
    prompts.SetSavePath(session.Options().args.front());
    switch (BackupSettings(session.App().Documents(), prompts)) {
        case BackupOutcome::Saved:
            report.Data().Set("file", prompts.ChosenSavePath());
            return;
        case BackupOutcome::Cancelled:
            if (prompts.RefusedExistingFile())
                report.Fail(kExitUsage, "the backup file exists; add --yes to replace it");
            else
                report.Fail(kExitFailed, "the settings were not saved");
            return;
        case BackupOutcome::NothingToBackUp:
            report.Fail(kExitFailed, "the device sent no settings to back up");
            return;
        case BackupOutcome::WriteFailed:
            report.Fail(kExitFailed, "the backup file could not be written");
            return;
    }
}

void RunRestore(DeviceSession& session, CommandReport& report) {
    const std::string& path = session.Options().args.front();
    report.Data().Set("file", path);
    switch (
        RestoreSettings(path, session.App().Documents(), session.Executor(), session.Prompter())) {
        case RestoreOutcome::Restored:
            return;
        case RestoreOutcome::Refused:
            report.Fail(kExitUsage, "the file was not sent");
            return;
        case RestoreOutcome::RefusedByDevice:
            report.Fail(kExitFailed, "the device refused the backup and kept its settings");
            return;
        case RestoreOutcome::SettingsNotReadBack:
            report.Fail(kExitFailed, "the device did not send its settings back after the restore");
            return;
    }
}

}  // namespace merivane::cli
