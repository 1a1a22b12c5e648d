#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/CommandLog.h"
#include "link/LinkWatcher.h"
#include "link/PortSource.h"
#include "link/SerialPort.h"
#include "support/Clock.h"

namespace merivane {

class ProgressSink;

// Why a candidate port was passed over during detection.
struct PortProblem {
    std::string port;
    PortError error = PortError::None;
    int sysErrno = 0;
};

// The device link: the port name and the open port, the command log, and
// the exchange of one command line and its answer. One object per device.
//
// When the port vanishes (a pulled cable, a device that restarts, a hub that
// drops out) the transport waits for it to come back under the name it was
// opened by. A batch gets one such wait of about a minute, however many of
// its commands meet the missing port: when it runs out, or the user gives it
// up, the link is lost and every further command fails at once. The next
// batch tries the port again briefly, so a device plugged back in is found.
class Transport {
  public:
    // Picks one of several candidate ports; returns the chosen (or typed) name,
    // or an empty text when the user closed the choice without confirming.
    using Chooser = std::function<std::string(const std::vector<std::string>& candidates)>;

    static constexpr size_t kMaxCandidates = 10;
    // Standard answer room of one command (the runner adds extra room for downloads).
    static constexpr size_t kAnswerBufferSize = 10240000;
    // The polling read step.
    static constexpr int kPollMs = 100;

    explicit Transport(PortSource* source = nullptr);

    // Searches the port source, chooses (through `choose` when several qualify),
    // opens and configures the port. True when the port is open.
    bool FindAndOpenPort(const Chooser& choose);
    // Opens a port named by the user (--port), configured as FindAndOpenPort does.
    bool OpenNamedPort(const std::string& path);
    // Closes the current port and opens the one named by PortName() again,
    // then flushes it.
    bool OpenPort();
    // Empties both directions and waits until the device stays silent for one
    // poll step (bounded, so a device that never stops talking cannot hang us).
    bool FlushPort();

    // Starts a batch or an upload: a fresh wait window and no cancel pending.
    // A link that was lost is tried again briefly (kShortReopenAttempts).
    void BeginBatch();
    // Gives up the wait for a vanished port (the user pressed Cancel): the
    // link is lost at once. Safe from any thread.
    void CancelWait();
    // True when a wait was given up or the program is being interrupted.
    bool Cancelled() const;
    LinkState State() const { return state_.load(); }

    // One user of the link at a time: a batch, an upload, a poll of the signal
    // monitor, the console resume. Whoever holds it finishes its exchange
    // before the next one begins; no exchange ever mixes with another's bytes.
    std::unique_lock<std::mutex> Hold() { return std::unique_lock<std::mutex>(linkMutex_); }
    // The same without waiting: background work skips a turn instead.
    std::unique_lock<std::mutex> TryHold() {
        return std::unique_lock<std::mutex>(linkMutex_, std::try_to_lock);
    }
    // Background work never waits for a vanished port: with waiting off, a
    // port that fails loses the link at once. Only the holder changes it.
    void SetWaitingAllowed(bool allowed) { waitingAllowed_ = allowed; }
    // Told of waits for a vanished port (null: nobody). Set it before the
    // batch starts; it is called on the batch's thread.
    void SetWatcher(LinkWatcher* watcher) { watcher_.store(watcher); }
    // The line that quiets the device's own console. A device that comes back
    // after vanishing has restarted with its console talking again, so it is
    // written twice, a second apart, whenever the port returns (empty: never).
    void SetConsolePause(const std::string& line) { consolePause_ = line; }
    // Writes the console pause twice, a second apart, as start-up does; then
    // throws away whatever the device said meanwhile.
    void PauseConsole();
    // The port failed outside an exchange (a raw write, start-up's direct
    // questions): waits for it within the batch's window as a command would.
    // True when it is back (and the console paused again).
    bool AwaitReturn() { return WaitForPort(); }
    LinkWatcher* Watcher() const { return watcher_.load(); }

    // Writes one command line (nothing for the pseudo-command "SLEEP").
    // Nonzero when written.
    int SendCommand(const std::string& command);
    // Writes one last command line without waiting for a vanished port: one
    // attempt to reopen it, and the write. For the console resume at the end
    // of a run, which must not keep a closing program alive.
    int SendCommandOnce(const std::string& command);
    // Collects the raw answer to `command` into `raw` (at most size - 1 bytes)
    // until an end marker, the time-out, a port that came back after being
    // lost (the restarted device no longer knows the command), or a cancel
    // (Ctrl+C, the dialog's Cancel): waiting for more bytes announces nothing
    // to the device, so it may end at any time. False only when the port
    // cannot take the polling settings.
    bool ReceiveResponse(const std::string& command, std::string& raw, size_t size,
                         uint32_t timeoutMs, bool noEndMarker, ProgressSink* bar);
    // Judges and trims a raw answer (see ParseAnswer) and logs the result.
    bool ParseResponse(const std::string& command, const std::string& raw, std::string& parsed,
                       size_t size);

    // Writes bytes straight to the port: no flush, no reopen, no log
    // (start-up's console pause, upload data). Returns bytes written or -1.
    long WriteRaw(const char* data, size_t size);
    // Reads what the device has sent (at most `max` bytes), waiting up to one
    // poll step for it: no flush, no reopen, no log (start-up's direct
    // questions). Returns bytes read, 0 for silence, -1 when the read failed.
    long ReadRaw(char* buffer, size_t max);

    const std::string& PortName() const { return m_portName; }
    void SetPortName(const std::string& name) { m_portName = name; }
    bool PortIsOpen() const { return m_port.IsOpen(); }
    // Lets the port go (a discovery that only lists, the end of a run).
    void ClosePort() { m_port.Close(); }
    // Why the last open of the port failed.
    PortError LastPortError() const { return m_port.LastError(); }
    int LastPortErrno() const { return m_port.LastErrno(); }
    CommandLog& Log() { return m_commandLog; }
    void SetPortSource(PortSource* source) { source_ = source; }
    // How often a receive saw the port go away and got it back: a device that
    // restarts (to install firmware, say) does so during a wait.
    uint64_t PortReturns() const { return portReturns_; }
    // The ports of the last search (or the port named) that could not be opened, and why.
    const std::vector<PortProblem>& LastProblems() const { return problems_; }

    // Bounds of the recovery loops (product milliseconds).
    static constexpr uint64_t kReopenWindowMs = 60000;  // one batch's wait for a vanished port
    static constexpr uint64_t kReopenPauseMs = 1000;    // between two attempts to reopen
    static constexpr int kShortReopenAttempts = 4;      // a new batch on a lost link: about 3 s
    static constexpr uint64_t kFlushLimitMs = 3000;
    // A receive still waiting after this long is offered to be given up.
    static constexpr uint64_t kLongAnswerMs = 10000;

  private:
    bool OpenAndConfigure(const std::string& path);
    // The port is open again after vanishing: counted, console quieted.
    void PortCameBack();
    // Waits for the vanished port within the batch's window. True when it is
    // back and open; false when the link is lost.
    bool WaitForPort();
    // A read failed while waiting for an answer that only ends when the
    // device has restarted: one reopen attempt after the command's pause.
    // True when the port is back.
    bool AwaitRestart(uint32_t timeoutMs, const Deadline& deadline);
    // Pauses up to `ms`, in short steps so that a cancel ends it quickly.
    void PauseUnlessCancelled(uint64_t ms);
    void SetState(LinkState state, int secondsLeft = 0);

    PortSource* source_;
    std::string m_portName;
    SerialPort m_port;
    CommandLog m_commandLog;
    std::vector<PortProblem> problems_;
    std::atomic<uint64_t> portReturns_{0};
    std::atomic<LinkState> state_{LinkState::Up};
    std::atomic<bool> cancel_{false};
    std::atomic<LinkWatcher*> watcher_{nullptr};
    uint64_t windowEndsAt_ = 0;  // product time; 0: no wait begun in this batch
    bool waitingAllowed_ = true;
    std::string consolePause_;
    std::mutex linkMutex_;
};

}  // namespace merivane
