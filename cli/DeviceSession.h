#pragma once

#include <memory>
#include <string>

#include "app/CKestrionApp.h"
#include "cli/CliExecutor.h"
#include "cli/CliOptions.h"
#include "cli/CliPrompts.h"
#include "cli/CommandReport.h"

namespace merivane::cli {

class TerminalProgress;

// One device's run, as the desktop program starts and ends one: the port (named or
// discovered), the console paused, the product asked for, the device identified; at the
// end the console given back and the documents freed. Python auto-start is neither asked
// about nor changed.
class DeviceSession {
  public:
    DeviceSession(const CliOptions& options, std::unique_ptr<PortSource> source,
                  CliPrompts& prompts, TerminalProgress* progress);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Finds and opens the port, pauses the console, learns the product and identifies the
    // device. False with the failure in `report` (no device: kExitNoDevice; a device that
    // does not answer: kExitFailed).
    bool Start(CommandReport& report);
    // Gives the console back unless the device is restarting, and frees the documents.
    void End();

    // The device is restarting on its own (reboot): the console is not given back.
    void DeviceRestarting() { restarting_ = true; }

    CKestrionApp& App() { return app_; }
    BatchExecutor& Executor() { return executor_; }
    CliPrompts& Prompter() { return prompts_; }
    const CliOptions& Options() const { return options_; }

  private:
    class WaitNotice;

    bool OpenPort(CommandReport& report);

    const CliOptions& options_;
    CKestrionApp app_;
    CliPrompts& prompts_;
    CliExecutor executor_;
    std::unique_ptr<WaitNotice> waitNotice_;
    bool paused_ = false;
    bool restarting_ = false;
};

}  // namespace merivane::cli
