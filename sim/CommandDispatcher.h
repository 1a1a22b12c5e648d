#pragma once

#include <string>

#include "sim/DeviceModel.h"
#include "sim/DeviceOptions.h"
#include "sim/InputFramer.h"
#include "sim/ModemAnswers.h"
#include "sim/RciService.h"
#include "sim/Reply.h"
#include "sim/SignalWalk.h"
#include "sim/UploadSession.h"

namespace merivane::sim {

struct DeviceCommand;

// Decides the device's reply to each frame of input: plain AT commands go to
// the modem, AT&usbinterface commands and bare request documents to the
// device's services. Runs with the device model locked by its owner.
class CommandDispatcher {
  public:
    CommandDispatcher(const DeviceOptions& options, DeviceModel& model);

    Reply Handle(const Frame& frame);

    bool ConsolePaused() const { return consolePaused_; }
    void PauseConsole() { consolePaused_ = true; }
    // The device restarted: its console talks again and nothing is half done.
    void Restarted();
    // A firmware update completed: the device now runs `version`.
    void FirmwareApplied(const std::string& version);
    // An upload's data phase ended before all bytes came.
    void AbortUpload() { upload_.Abort(); }

    ModemAnswers& Modem() { return modem_; }

    // Where command 110 takes the new firmware from.
    static constexpr const char* kFirmwareImagePath = "/fw/updatefw.dwl";

  private:
    Reply HandleLine(const std::string& line);
    Reply HandleDeviceCommand(const DeviceCommand& command);
    Reply HandleConsole(const DeviceCommand& command);
    Reply HandleRequest(const DeviceCommand& command);
    Reply HandleDigest(const DeviceCommand& command);
    Reply HandleFirmwareUpdate();
    Reply HandleUpload(const DeviceCommand& command);
    Reply HandleUploadData(std::string data);

    const DeviceOptions& options_;
    DeviceModel& model_;
    ModemAnswers modem_;
    RciService rci_;
    UploadSession upload_;
    SignalWalk walk_;
    bool consolePaused_ = false;
};

}  // namespace merivane::sim
