#include "link/Transport.h"

#include <algorithm>
#include <string_view>

#include "link/PortFilter.h"
#include "link/ResponseParser.h"
#include "support/Clock.h"
#include "support/Interruption.h"
#include "support/ProgressSink.h"

namespace merivane {
namespace {

constexpr std::string_view kSleep = "SLEEP";
constexpr std::string_view kOkMarker = "\r\nOK\r\n";
constexpr std::string_view kErrorMarker = "\r\nERROR\r\n";
// Largest single read while collecting an answer.
constexpr size_t kReadChunk = 64 * 1024;

// Tells the watcher when a receive has waited long enough that the user may
// want to give it up, and again when it ends.
class LongAnswerNotice {
  public:
    LongAnswerNotice(LinkWatcher* watcher, bool offered) : watcher_(offered ? watcher : nullptr) {}
    ~LongAnswerNotice() {
        if (told_) watcher_->LongAnswerWait(false);
    }
    void Update(uint64_t waitedMs) {
        if (told_ || !watcher_ || waitedMs < Transport::kLongAnswerMs) return;
        told_ = true;
        watcher_->LongAnswerWait(true);
    }

  private:
    LinkWatcher* watcher_;
    bool told_ = false;
};

bool IsSleep(std::string_view command) { return command.substr(0, kSleep.size()) == kSleep; }

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Real time allowed for writing `size` bytes: a long document needs a while
// on a real serial line (about 11 bytes per millisecond at 115200 baud).
int WriteTimeoutMs(size_t size) {
    return 5000 + static_cast<int>(std::min<size_t>(size / 8, 600000));
}

int PollRealMs() { return TheClock().RealMs(Transport::kPollMs); }

// The last bytes of everything a receive has seen, so that an end marker is
// recognised even after the answer buffer is full.
class StreamTail {
  public:
    void Add(const char* data, size_t n) {
        if (n >= kKeep) {
            tail_.assign(data + n - kKeep, kKeep);
        } else {
            tail_.append(data, n);
            if (tail_.size() > kKeep) tail_.erase(0, tail_.size() - kKeep);
        }
    }
    bool EndsWithMarker() const {
        return EndsWith(tail_, kErrorMarker) || EndsWith(tail_, kOkMarker);
    }

  private:
    static constexpr size_t kKeep = 9;
    std::string tail_;
};

}  // namespace

Transport::Transport(PortSource* source) : source_(source) {}

bool Transport::OpenAndConfigure(const std::string& path) { return m_port.Open(path); }

bool Transport::FindAndOpenPort(const Chooser& choose) {
    problems_.clear();
    std::vector<PortEntry> entries;
    if (!source_ || !source_->ListModemPorts(entries)) return false;

    std::vector<std::string> candidates;
    for (const PortEntry& entry : entries) {
        if (entry.port.empty() || !AnyProviderPasses(entry.providers)) continue;
        if (candidates.size() >= kMaxCandidates) break;
        m_portName = entry.port;
        PortError why = PortError::None;
        int sysErrno = 0;
        // The open only proves that the port can be had; it is released at once.
        if (!SerialPort::CanOpen(entry.port, &why, &sysErrno)) {
            problems_.push_back({entry.port, why, sysErrno});
            continue;
        }
        if (std::find(candidates.begin(), candidates.end(), entry.port) == candidates.end())
            candidates.push_back(entry.port);
    }

    if (candidates.empty()) return false;
    if (candidates.size() == 1)
        m_portName = candidates.front();
    else
        m_portName = choose ? choose(candidates) : std::string();
    if (m_portName.empty()) return false;
    return OpenAndConfigure(m_portName);
}

bool Transport::OpenNamedPort(const std::string& path) {
    problems_.clear();
    m_portName = path;
    if (OpenAndConfigure(path)) return true;
    // Said in the detection message's details, as for a port that discovery found.
    problems_.push_back({path, m_port.LastError(), m_port.LastErrno()});
    return false;
}

bool Transport::OpenPort() {
    // Our own lock on the old descriptor would refuse the new open, so the
    // old one always goes first.
    m_port.Close();
    if (m_portName.empty() || !OpenAndConfigure(m_portName)) return false;
    FlushPort();
    return true;
}

bool Transport::FlushPort() {
    if (!m_port.IsOpen()) return true;
    // Empty both directions and read until the line is silent for one poll
    // step; a device that never stops talking is given up on after a while.
    Deadline limit(kFlushLimitMs);
    char discard[1024];
    long n;
    do {
        m_port.Purge();
        n = m_port.Read(discard, sizeof discard, PollRealMs());
    } while (n > 0 && !limit.Passed());
    return true;
}

void Transport::BeginBatch() {
    cancel_.store(false);
    windowEndsAt_ = 0;
    if (state_.load() != LinkState::Lost && m_port.IsOpen()) return;
    // The device may have been plugged back in since the link was lost: a
    // few quick attempts, not another long wait.
    for (int attempt = 0; attempt < kShortReopenAttempts; ++attempt) {
        if (attempt > 0) PauseUnlessCancelled(kReopenPauseMs);
        if (Cancelled()) break;
        if (OpenPort()) {
            SetState(LinkState::Up);
            PauseConsole();
            return;
        }
    }
    SetState(LinkState::Lost);
}

void Transport::PauseConsole() {
    if (consolePause_.empty()) return;
    for (int i = 0; i < 2 && !Cancelled(); ++i) {
        WriteRaw(consolePause_.data(), consolePause_.size());
        PauseUnlessCancelled(kReopenPauseMs);
    }
    FlushPort();
}

void Transport::PortCameBack() {
    ++portReturns_;
    SetState(LinkState::Up);
    PauseConsole();
}

void Transport::CancelWait() { cancel_.store(true); }

bool Transport::Cancelled() const { return cancel_.load() || InterruptionRequested(); }

void Transport::SetState(LinkState state, int secondsLeft) {
    const LinkState before = state_.exchange(state);
    if (state == LinkState::Lost) m_port.Close();
    if (LinkWatcher* watcher = watcher_.load();
        watcher && (before != state || state == LinkState::Waiting))
        watcher->LinkStateChanged(state, secondsLeft);
}

void Transport::PauseUnlessCancelled(uint64_t ms) {
    const Deadline pause(ms);
    while (!pause.Passed() && !Cancelled()) TheClock().SleepMs(std::min<uint64_t>(ms, 100));
}

bool Transport::WaitForPort() {
    if (state_.load() == LinkState::Lost) return false;
    m_port.Close();
    if (!waitingAllowed_) {
        SetState(LinkState::Lost);
        return false;
    }
    const uint64_t now = TheClock().NowMs();
    if (windowEndsAt_ == 0) windowEndsAt_ = now + kReopenWindowMs;
    // The device may be restarting: reopen by name, pausing a second after
    // every failed attempt, until the batch's window has run out.
    for (;;) {
        const uint64_t at = TheClock().NowMs();
        const int secondsLeft =
            at < windowEndsAt_ ? static_cast<int>((windowEndsAt_ - at + 999) / 1000) : 0;
        SetState(LinkState::Waiting, secondsLeft);
        if (Cancelled() || secondsLeft == 0) break;
        if (OpenPort()) {
            windowEndsAt_ = 0;  // a device that went away again gets a new window
            PortCameBack();
            return true;
        }
        PauseUnlessCancelled(std::min<uint64_t>(
            kReopenPauseMs, windowEndsAt_ - std::min(windowEndsAt_, TheClock().NowMs())));
    }
    SetState(LinkState::Lost);
    return false;
}

int Transport::SendCommand(const std::string& command) {
    const int64_t start = Clock::WallSeconds();
    if (IsSleep(command)) {
        FlushPort();
        return 1;
    }
    bool written = false;
    if (state_.load() != LinkState::Lost) {
        FlushPort();
        const long size = static_cast<long>(command.size());
        auto write = [&] {
            return m_port.IsOpen() && m_port.Write(command.data(), command.size(),
                                                   WriteTimeoutMs(command.size())) == size;
        };
        written = write() || (WaitForPort() && write());
    }
    if (m_commandLog.IsOpen()) m_commandLog.WriteCommand(start, Clock::WallSeconds(), command);
    return written ? 1 : 0;
}

int Transport::SendCommandOnce(const std::string& command) {
    const int64_t start = Clock::WallSeconds();
    if ((!m_port.IsOpen() || state_.load() == LinkState::Lost) && OpenPort())
        SetState(LinkState::Up);
    bool written = false;
    if (m_port.IsOpen()) {
        FlushPort();
        written = m_port.Write(command.data(), command.size(), WriteTimeoutMs(command.size())) ==
                  static_cast<long>(command.size());
    }
    if (m_commandLog.IsOpen()) m_commandLog.WriteCommand(start, Clock::WallSeconds(), command);
    return written ? 1 : 0;
}

bool Transport::AwaitRestart(uint32_t timeoutMs, const Deadline& deadline) {
    const uint64_t left = deadline.RemainingMs();
    SetState(LinkState::Waiting, static_cast<int>((left + 999) / 1000));
    PauseUnlessCancelled(std::max<uint32_t>(timeoutMs / 100, 1));
    if (Cancelled()) {
        SetState(LinkState::Lost);
        return false;
    }
    if (!OpenPort()) return false;
    PortCameBack();
    return true;
}

bool Transport::ReceiveResponse(const std::string& command, std::string& raw, size_t size,
                                uint32_t timeoutMs, bool noEndMarker, ProgressSink* bar) {
    const Deadline deadline(timeoutMs, /*withReceiveFloor=*/!IsSleep(command));
    const int64_t startWall = Clock::WallSeconds();
    int counter = bar ? bar->Position() : 0;
    auto advance = [&](int units) {
        if (!bar) return;
        counter += units;
        bar->SetPosition(counter);
    };

    if (IsSleep(command)) {
        raw.assign(kSleep.substr(0, std::min(kSleep.size(), size)));
        const uint64_t pause = std::max<uint64_t>(timeoutMs / 100, 1);
        while (!deadline.Passed()) {
            TheClock().SleepMs(pause);
            advance(1);
        }
        FlushPort();
        return true;
    }

    // Without an open port the polling settings cannot be applied.
    if (!m_port.IsOpen()) return false;

    raw.clear();
    const size_t limit = size > 0 ? size - 1 : 0;
    StreamTail tail;
    std::string discard;
    const uint64_t returnsBefore = portReturns_.load();
    const uint64_t startMs = TheClock().NowMs();
    LongAnswerNotice notice(watcher_.load(), !noEndMarker);
    while (!deadline.Passed() && !Cancelled()) {
        notice.Update(TheClock().NowMs() - startMs);
        // Collect in place while there is room; past the limit keep reading at
        // the same pace into a scratch buffer, so the end marker still ends the wait.
        const size_t room = limit - raw.size();
        const size_t old = raw.size();
        char* target;
        size_t want;
        if (room > 0) {
            want = std::min(room, kReadChunk);
            raw.resize(old + want);
            target = raw.data() + old;
        } else {
            discard.resize(kReadChunk);
            want = discard.size();
            target = discard.data();
        }
        const long n = m_port.Read(target, want, PollRealMs());
        if (room > 0) raw.resize(old + static_cast<size_t>(std::max(n, 0L)));

        if (n >= 0) {
            if (n == 0) advance(1);
            tail.Add(target, static_cast<size_t>(n));
        } else if (noEndMarker) {
            // The device is expected to restart during this wait: try to get
            // the port back now and then until the command's own deadline, and
            // end the wait as soon as it is back.
            const bool back = AwaitRestart(timeoutMs, deadline);
            advance(static_cast<int>(timeoutMs / 10000));
            if (back || state_.load() == LinkState::Lost) break;
        } else if (!WaitForPort() || portReturns_.load() != returnsBefore) {
            // Gone for good, or back after a restart that made the device forget
            // the command: either way the answer so far is all there is.
            break;
        }
        if (!noEndMarker && tail.EndsWithMarker()) break;
    }

    // A restart that did not come within the command's wait is left to the
    // next command, which waits for the port within the batch's window.
    if (state_.load() == LinkState::Waiting) SetState(LinkState::Up);

    if (m_commandLog.IsOpen())
        m_commandLog.WriteRawResponse(startWall, Clock::WallSeconds(), static_cast<int>(timeoutMs),
                                      raw);
    return true;
}

bool Transport::ParseResponse(const std::string& command, const std::string& raw,
                              std::string& parsed, size_t size) {
    const bool verdict = ParseAnswer(command, raw, size, parsed);
    if (m_commandLog.IsOpen()) m_commandLog.WriteParsedResponse(parsed, verdict);
    return verdict;
}

long Transport::WriteRaw(const char* data, size_t size) {
    if (!m_port.IsOpen()) return -1;
    return m_port.Write(data, size, WriteTimeoutMs(size));
}

long Transport::ReadRaw(char* buffer, size_t max) {
    if (!m_port.IsOpen()) return -1;
    return m_port.Read(buffer, max, PollRealMs());
}

}  // namespace merivane
