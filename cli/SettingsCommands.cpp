// The commands on the device's documents: info, get, backup, restore (set has a file of
// its own).

#include "app/DeviceStatus.h"
#include "app/Product.h"
#include "cli/DeviceCommands.h"
#include "cli/DeviceSession.h"
#include "cli/SettingValues.h"
#include "ops/ConfigurationBackup.h"
#include "ops/ConfigurationRestore.h"

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
    Json& data = report.Data();
    data["status"] = identity.status;
    data["product"] = g_product;
    data["model"] = status.model;
    data["firmware"] = status.firmware;
    data["imei"] = identity.serialNumber;
    data["imsi"] = identity.imsi;
    data["iccid"] = status.iccid;
    data["phone_number"] = identity.phoneNumber;
    data["modem_type"] = identity.modemMaker;
    data["modem_revision"] = identity.modemRevision;
    data["signal_quality"] = identity.signalQuality;
    data["signal_bars"] = meter.lit;
    data["signal_scale"] = meter.scale;
    data["registration"] = identity.registration;
    data["mobile_ip"] = status.ipAddress;
    data["link"] = LinkIndicatorLit(status.ipAddress);
    if (!IsKorvane(g_product)) data["mesh_radio"] = app.Documents().ZelboPresent();
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
    Json found = Json::object();
    std::vector<std::string> missing;
    for (size_t i = 0; i < paths.size(); ++i) {
        found[paths[i]] =
            values[i] ? Json(ShownValue(paths[i], *values[i], session.Options().showSecrets))
                      : Json();
        if (!values[i]) missing.push_back(paths[i]);
    }
    report.Data()["values"] = found;
    if (!missing.empty()) report.Fail(kExitFailed, "the device has no setting " + Joined(missing));
}

void RunBackup(DeviceSession& session, CommandReport& report) {
    CliPrompts& prompts = session.Prompter();
    prompts.SetSavePath(session.Options().args.front());
    switch (BackupSettings(session.App().Documents(), prompts)) {
        case BackupOutcome::Saved:
            report.Data()["file"] = prompts.ChosenSavePath();
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
    if (session.Options().only) {
        RunRestoreOnly(session, report);
        return;
    }
    const std::string& path = session.Options().args.front();
    report.Data()["file"] = path;
    switch (
        RestoreSettings(path, session.App().Documents(), session.Executor(), session.Prompter())) {
        case RestoreOutcome::Restored:
            report.MarkChanged();
            return;
        case RestoreOutcome::Refused:
            report.Fail(kExitUsage, "the file was not sent");
            return;
        case RestoreOutcome::RefusedByDevice:
            report.Fail(kExitFailed, "the device refused the backup and kept its settings");
            return;
        case RestoreOutcome::SettingsNotReadBack:
            report.MarkChanged();
            report.Fail(kExitFailed, "the device did not send its settings back after the restore");
            return;
    }
}

}  // namespace merivane::cli
