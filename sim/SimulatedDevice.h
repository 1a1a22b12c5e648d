#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/AnswerWriter.h"
#include "sim/CommandDispatcher.h"
#include "sim/ConsoleChatter.h"
#include "sim/DeviceModel.h"
#include "sim/DeviceOptions.h"
#include "sim/FaultPlan.h"
#include "sim/InputFramer.h"
#include "sim/PtyEndpoint.h"
#include "sim/TrafficLog.h"
#include "sim/Waiter.h"
#include "sim/WakeSignal.h"
#include "support/Clock.h"

namespace merivane::sim {

// A simulated device behind a pseudo-terminal whose slave is published as a
// symbolic link. It runs on its own thread from Start() to Stop(); every
// other member may be called from any thread while it runs.
//
// All of its delays (slow answers, restarts, upload time-outs) run on the
// installed Clock, so a test that installs a ScaledClock before Start() sees
// them shortened.
class SimulatedDevice {
  public:
    explicit SimulatedDevice(DeviceOptions options);
    ~SimulatedDevice();  // stops and removes the link
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;

    // Opens the pseudo-terminal, publishes the link and starts the device
    // thread. False when a fault spec of the options is not understood, the
    // log cannot be opened, or the link cannot be made.
    bool Start();
    void Stop();
    const std::string& LinkPath() const { return options_.linkPath; }
    const DeviceOptions& Options() const { return options_; }

    // Switches a fault on at run time; false for an unknown spec.
    bool AddFault(const std::string& spec);
    void ClearFaults();

    // Closes the pseudo-terminal and removes the link, like a USB device that
    // vanished. It stays away until Plug() (a restart in progress is called off).
    void Unplug();
    // A new pseudo-terminal behind the same link (no-op when plugged). A
    // restart in progress completes at once.
    void Plug();
    bool IsPlugged() const { return plugged_.load(); }
    // How many times the device has come onto the line (the first start counts).
    uint64_t PlugCount() const;
    // Waits up to `realTimeoutMs` for PlugCount() to reach `count` while plugged.
    bool WaitForPlugCount(uint64_t count, int realTimeoutMs) const;

    // Every command line received, in order, without its line end (bare
    // request documents included, upload data not).
    std::vector<std::string> ReceivedCommands() const;
    void ClearReceivedCommands();
    // Waits up to `realTimeoutMs` until the device has received `command`
    // (exactly, without line end) and finished acting on it. For commands the
    // tool sends without reading an answer, such as the console resume.
    bool WaitForCommand(const std::string& command, int realTimeoutMs) const;
    bool ConsolePaused() const { return consolePaused_.load(); }

    // What the device keeps, for tests to look at and to prepare. Paths use
    // the setting path syntax: "mobile_simple/apn",
    // "mgmtconnection&index=3/ServerArray&index=1/serverAddress".
    using Document = DeviceModel::Document;
    std::optional<std::string> Value(Document which, const std::string& path) const;
    bool SetValue(Document which, const std::string& path, const std::string& value);
    std::optional<std::string> Setting(const std::string& path) const {
        return Value(Document::Settings, path);
    }
    bool SetSetting(const std::string& path, const std::string& value) {
        return SetValue(Document::Settings, path, value);
    }
    std::optional<std::string> StateValue(const std::string& path) const {
        return Value(Document::State, path);
    }
    std::optional<std::string> RadioSetting(const std::string& path) const {
        return Value(Document::Radio, path);
    }
    // "device_info/firmware" of the state.
    std::string FirmwareVersion() const;
    bool AutostartOn() const { return Setting("python/state") == "on"; }

    // The device's files ("/WEB/python/main.py").
    std::optional<std::string> FileContents(const std::string& path) const;
    bool PutFile(const std::string& path, const std::string& data);
    bool RemoveFile(const std::string& path);
    // Names of the files (not folders) in a device folder, in name order.
    std::vector<std::string> FileNames(const std::string& folder) const;

  private:
    enum class Control { Unplug, Plug };

    void Run();
    void ServeControls();
    void RunControl(Control control);
    void DoPlug();
    void ComeBack();
    void DoUnplug();
    void WaitWhileUnplugged();
    void ReadInput(bool& gotData);
    // Stops reading upload data for a while when the stall-upload fault says so.
    void StallUploadOnce();
    void ProcessFrames(bool settled);
    void Respond(Frame frame);
    void Answer(Frame frame);
    // The faults of a counterfeit device that answers with what it likes: another file,
    // a longer one, settings with foreign operations, identity texts that attack the
    // terminal.
    void ShapeHostileAnswer(const std::string& command, Reply& reply);
    void Follow(const Reply& reply);
    void RestartLater(const std::string& firmware);
    void CheckIdleInput();
    void TalkOnConsole();
    void SendGarbage();
    std::string Compose(const Reply& reply);
    bool ShouldAbort() const;

    DeviceOptions options_;
    FaultPlan faults_;
    WakeSignal wake_;
    PtyEndpoint endpoint_;
    TrafficLog log_;
    Waiter waiter_;
    AnswerWriter writer_;
    InputFramer framer_;
    mutable std::mutex modelMutex_;  // the model and the dispatcher's use of it
    DeviceModel model_;
    CommandDispatcher dispatcher_;
    ConsoleChatter chatter_;

    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> plugged_{false};
    std::atomic<bool> consolePaused_{false};

    // Requests from other threads, carried out on the device thread.
    mutable std::mutex controlMutex_;
    std::condition_variable controlDone_;
    std::deque<Control> controls_;
    std::atomic<uint64_t> controlsQueued_{0};
    uint64_t controlsServed_ = 0;

    mutable std::mutex plugMutex_;
    mutable std::condition_variable plugChanged_;
    uint64_t plugCount_ = 0;

    mutable std::mutex commandsMutex_;
    mutable std::condition_variable commandDone_;
    std::vector<std::string> commands_;
    std::vector<std::string> handled_;  // commands the device has finished with

    // Device-thread state.
    std::optional<uint64_t> replugAt_;  // product time of the return from a restart
    std::string pendingFirmware_;       // firmware version to report after it
    std::optional<uint64_t> unplugAfterBytes_;
    bool garbageDue_ = false;   // garbage goes out once the last answer was read
    Deadline garbageLimit_{0};  // ... or not at all, if it is never read
    uint64_t nextConsoleAt_ = 0;
    uint64_t lastInputRealMs_ = 0;  // for settling a pending line end
    Deadline inputIdle_{0};         // for giving up on unfinished data or documents
};

}  // namespace merivane::sim
