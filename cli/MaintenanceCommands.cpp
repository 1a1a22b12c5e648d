// The commands that restart the device or replace its firmware: reboot, firmware,
// radio-firmware.

#include "app/DeviceStatus.h"
#include "ops/DeviceUtilities.h"
#include "ops/FirmwareUpdate.h"
#include "app/Product.h"
#include "ops/ZelboFirmware.h"
#include "cli/DeviceCommands.h"
#include "cli/DeviceSession.h"

namespace merivane::cli {
namespace {

// The report of an update that returned.
void ReportUpdate(FirmwareOutcome outcome, CommandReport& report) {
    switch (outcome) {
        case FirmwareOutcome::Updated:
            report.Data().Set("updated", true);
            return;
        case FirmwareOutcome::UpdateFailed:
            report.Data().Set("updated", false);
            report.Fail(kExitFailed, "the device did not carry out the update");
            return;
        case FirmwareOutcome::NotVerified:
            report.Data().Set("updated", false);
            report.Fail(kExitFailed,
                        "the image did not transfer correctly; the update was not started");
            return;
        case FirmwareOutcome::Refused:
            report.Data().Set("updated", false);
            report.Fail(kExitUsage, "the image was not sent");
            return;
    }
}

}  // namespace

void RunReboot(DeviceSession& session, CommandReport& report) {
    const bool taken = SendRebootCommand(session.Executor());
    report.Data().Set("rebooting", taken);
    if (taken)
        session.DeviceRestarting();
    else
        report.Fail(kExitFailed, "the device did not take the reboot command");
}

void RunFirmware(DeviceSession& session, CommandReport& report) {
    DocumentStore& documents = session.App().Documents();
    report.Data().Set("file", session.Options().args.front());
    report.Data().Set("firmware_before", ReadDeviceStatus(documents).firmware);
    const FirmwareOutcome outcome =
        UpdateFirmware(session.Options().args.front(), documents, session.Executor(),
                       session.Prompter(), AfterFirmwareUpdate::Return);
    ReportUpdate(outcome, report);
    if (outcome == FirmwareOutcome::Updated || outcome == FirmwareOutcome::UpdateFailed) {
        report.Data().Set("firmware", ReadDeviceStatus(documents).firmware);
        report.Data().Set("firmware_text", ReadFirmwareInfo(documents).firmwareVersion);
    }
}

void RunRadioFirmware(DeviceSession& session, CommandReport& report) {
    DocumentStore& documents = session.App().Documents();
    report.Data().Set("file", session.Options().args.front());
    if (IsKorvane(g_product) || !documents.ZelboPresent()) {
        report.Fail(kExitFailed, "the device has no mesh radio module");
        return;
    }
    ReportUpdate(UpdateRadioFirmware(session.Options().args.front(), documents, session.Executor(),
                                     session.Prompter()),
                 report);
}

}  // namespace merivane::cli
