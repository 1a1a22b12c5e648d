// The commands that restart the device or replace its firmware: reboot, firmware,
// radio-firmware.

#include "app/DeviceStatus.h"
#include "app/Product.h"
#include "cli/DeviceCommands.h"
#include "cli/DeviceSession.h"
#include "link/UploadEngine.h"
#include "ops/DeviceUtilities.h"
#include "ops/FirmwareUpdate.h"
#include "ops/ZelboFirmware.h"

namespace merivane::cli {
namespace {

// The report of an update that returned.
void ReportUpdate(FirmwareOutcome outcome, CommandReport& report) {
    if (outcome != FirmwareOutcome::Refused) report.MarkChanged();  // the image was sent
    switch (outcome) {
        case FirmwareOutcome::Updated:
            report.Data()["updated"] = true;
            return;
        case FirmwareOutcome::UpdateFailed:
            report.Data()["updated"] = false;
            report.Fail(kExitFailed, "the device did not carry out the update");
            return;
        case FirmwareOutcome::NotVerified:
            report.Data()["updated"] = false;
            report.Fail(kExitFailed,
                        "the image did not transfer correctly; the update was not started");
            return;
        case FirmwareOutcome::Refused:
            report.Data()["updated"] = false;
            report.Fail(kExitUsage, "the image was not sent");
            return;
    }
}

}  // namespace

void RunReboot(DeviceSession& session, CommandReport& report) {
    const bool taken = SendRebootCommand(session.Executor());
    report.Data()["rebooting"] = taken;
    if (taken) {
        report.MarkChanged();
        session.DeviceRestarting();
    } else {
        report.Fail(kExitFailed, "the device did not take the reboot command");
    }
}

void RunFirmware(DeviceSession& session, CommandReport& report) {
    const CliOptions& options = session.Options();
    const std::string& image = options.args.front();
    const std::string& wanted = options.ifVersionNot;
    DocumentStore& documents = session.App().Documents();
    const std::string before = ReadDeviceStatus(documents).firmware;
    report.Data()["file"] = image;
    report.Data()["firmware_before"] = before;
    report.ListChanges();
    if (!wanted.empty() && before == wanted) {
        report.Data()["updated"] = false;
        session.Prompter().Say("The device has firmware " + wanted + " already; nothing was sent.");
        return;
    }
    report.AddChange("firmware", before, wanted.empty() ? LocalFileName(image) : wanted);
    if (options.check) return;

    const FirmwareOutcome outcome = UpdateFirmware(image, documents, session.Executor(),
                                                   session.Prompter(), AfterFirmwareUpdate::Return);
    ReportUpdate(outcome, report);
    if (outcome != FirmwareOutcome::Updated && outcome != FirmwareOutcome::UpdateFailed) return;
    const std::string now = ReadDeviceStatus(documents).firmware;
    report.Data()["firmware"] = now;
    report.Data()["firmware_text"] = ReadFirmwareInfo(documents).firmwareVersion;
    // An image of another version would be sent again on every run.
    if (!wanted.empty() && now != wanted)
        report.Fail(kExitFailed,
                    "the device reports firmware " + now + " after the update, not " + wanted);
}

void RunRadioFirmware(DeviceSession& session, CommandReport& report) {
    DocumentStore& documents = session.App().Documents();
    report.Data()["file"] = session.Options().args.front();
    if (IsKorvane(g_product) || !documents.ZelboPresent()) {
        report.Fail(kExitFailed, "the device has no mesh radio module");
        return;
    }
    ReportUpdate(UpdateRadioFirmware(session.Options().args.front(), documents, session.Executor(),
                                     session.Prompter()),
                 report);
}

}  // namespace merivane::cli
