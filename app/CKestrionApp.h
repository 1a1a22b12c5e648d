#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/DeviceIdentity.h"
#include "app/SettingsApply.h"
#include "link/PortSource.h"
#include "link/Transport.h"
#include "settings/DocumentStore.h"

namespace merivane {

class BatchExecutor;

// Why the command log was not started, for a message: names the file and the reason.
std::string CommandLogRefusal(const std::string& path, const std::string& why);

// The one object that lives for the whole run: the device link (port and
// command log), the three documents, the mesh radio flag and what
// identification learned. It is handed to whoever needs it.
class CKestrionApp {
  public:
    // Display name, used as the sheet's caption and in the log header.
    static constexpr char kDisplayName[] = "Varik Merivane";

    // `source` finds modem ports; null uses the system's (udev).
    explicit CKestrionApp(std::unique_ptr<PortSource> source = nullptr);
    ~CKestrionApp();
    CKestrionApp(const CKestrionApp&) = delete;
    CKestrionApp& operator=(const CKestrionApp&) = delete;

    Transport& Link() { return transport_; }
    DocumentStore& Documents() { return documents_; }
    DeviceIdentity& Identity() { return identity_; }
    std::string PortName() const { return transport_.PortName(); }
    // The device's status line: "Connected (PORT)" as identification left it,
    // or "Disconnected (PORT)" once a batch has lost the link to the device.
    std::string StatusText() const;

    // "Version 1.0.33.0".
    static std::string GetProductVersionText();

    // Opens the command log (appending) and writes the run header.
    bool StartCommandLog(const std::string& path, std::string* why = nullptr);
    // The command log of this run: its file (empty when none is kept) and where in it this
    // run's blocks begin (the file is appended to from run to run).
    const std::string& CommandLogPath() const { return commandLogPath_; }
    uint64_t CommandLogStart() const { return commandLogStart_; }

    // Quiets the device's own console: the pause command twice, straight to
    // the port, a second apart; no answer is read.
    void PauseDeviceConsole();
    // Asks whether the device starts a Python program at boot. Repeats while
    // nothing but the echo comes back, at most kAutostartPasses times.
    bool AutostartIsOn();
    // Turns the device's Python auto-start off (no answer is read).
    void DisableAutostart();
    // Asks the device which product it is, at most five times. Empty when it
    // never named one of ours.
    std::string QueryProduct();
    // Gives the device its console back.
    void ResumeDeviceConsole();

    // Identification, and sending the documents (see Identification.h and SettingsApply.h).
    bool IdentifyDevice(BatchExecutor& executor);
    ApplyOutcome ApplySettings(BatchExecutor& executor);
    ApplyOutcome ApplyZelboSettings(BatchExecutor& executor);

    // Frees the documents and closes the log (end of the run).
    void CleanUp();

    static constexpr int kAutostartPasses = 10;
    static constexpr int kProductAttempts = 5;

  private:
    // A write straight to the port; a port that vanished is waited for (as a
    // batch waits) and the write made again. False when the device stayed away.
    bool WriteDirect(const std::string& command);
    // How often one start-up exchange follows a device that went away and came back.
    static constexpr int kDirectReturns = 3;
    // One start-up exchange straight on the port: flush, write, wait, read once.
    std::string AskDirect(const std::string& command, uint64_t waitMs, size_t readSize);

    std::unique_ptr<PortSource> source_;
    std::string commandLogPath_;
    uint64_t commandLogStart_ = 0;
    Transport transport_;
    DocumentStore documents_;
    DeviceIdentity identity_;
};

}  // namespace merivane
