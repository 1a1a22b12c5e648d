#include "link/UploadEngine.h"

#include <algorithm>
#include <cstdio>

#include "link/Transport.h"
#include "support/Clock.h"
#include "support/Interruption.h"
#include "support/ProgressSink.h"
#include "support/RegularFile.h"

namespace merivane {
namespace {

constexpr size_t kChunk = 1024;
constexpr size_t kAnswerRoom = 200;
constexpr size_t kParsedRoom = 100;
constexpr int kMaxShortWrites = 5;
// The first run of an upload and one restart after the device came back.
constexpr int kUploadAttempts = 2;

std::string Printf(const char* format, auto value) {
    char text[512];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A device path that would break the command line it travels in.
bool BreaksCommandLine(const std::string& path) {
    for (unsigned char c : path)
        if (c < 0x20 || c == 0x7f) return true;
    return false;
}

// One handshake exchange; false when the device judged it a failure.
bool Exchange(Transport& transport, const std::string& command, uint32_t timeoutMs,
              uint64_t pauseMs = 0) {
    std::string raw;
    std::string parsed;
    if (transport.SendCommand(command) == 0) return false;
    if (pauseMs) TheClock().SleepMs(pauseMs);
    transport.ReceiveResponse(command, raw, kAnswerRoom, timeoutMs, false, nullptr);
    return transport.ParseResponse(command, raw, parsed, kParsedRoom);
}

class UploadRun {
  public:
    UploadRun(Transport& transport, const UploadSource& source, ProgressSink* bar,
              std::atomic<int>& finished)
        : transport_(transport), source_(source), bar_(bar), finished_(finished) {}

    void Run() {
        if (!ReadRegularFile(source_.localPath, kMaxUploadBytes, data_)) return;
        const auto hold = transport_.Hold();
        transport_.BeginBatch();
        // A device that vanishes during the upload comes back restarted: it has
        // forgotten the announced file and keeps at most part of it. The upload
        // then starts again from its announcement, once; the digest check that
        // follows judges what the device finally holds.
        for (int attempt = 0; attempt < kUploadAttempts; ++attempt) {
            if (attempt > 0 && transport_.Cancelled()) return;
            if (RunOnce() != Attempt::DeviceRestarted) return;
        }
    }

  private:
    enum class Attempt { Ended, DeviceRestarted };

    Attempt RunOnce() {
        sent_ = 0;
        const long size = static_cast<long>(data_.size());
        if (bar_) {
            bar_->SetRange(0, static_cast<int>(static_cast<uint16_t>(size / 1024 + 10)));
            bar_->SetPosition(0);
            bar_->SetStepSize(1);
        }
        if (!Exchange(transport_, Printf("AT&USBINTERFACE=17,%ld\r\n", size), 500))
            return Attempt::Ended;
        if (!Exchange(transport_, Printf("AT&USBINTERFACE=3,%ld\r\n", size), 250))
            return Attempt::Ended;
        const std::string destination = UploadDestination(source_);
        if (BreaksCommandLine(destination)) return Attempt::Ended;
        Step();
        if (!Exchange(transport_, "AT&USBINTERFACE=9," + destination + "\r\n", 30000))
            return Attempt::Ended;
        Step();
        // Past this point the device takes every byte as file content: an
        // interrupted program still sends them all, so stop before it.
        if (InterruptionRequested()) return Attempt::Ended;
        const uint64_t returnsBefore = transport_.PortReturns();
        const bool told = Exchange(transport_, "AT&USBINTERFACE=5\r\n", 4000, 2000);
        // A device that restarted here has forgotten the announcement.
        if (transport_.PortReturns() != returnsBefore) return Attempt::DeviceRestarted;
        if (!told) return Attempt::Ended;
        Step();
        CommandLog& log = transport_.Log();
        if (log.IsOpen()) log.WriteUploadStart(destination, size);
        switch (SendData()) {
            case DataPhase::Stopped:
                return Attempt::Ended;
            case DataPhase::PortVanished:
                // Nothing more of this attempt can reach the device.
                return transport_.AwaitReturn() ? Attempt::DeviceRestarted : Attempt::Ended;
            case DataPhase::Sent:
                break;
        }
        if (log.IsOpen()) log.WriteUploadFinished(static_cast<long>(sent_), size);
        std::string raw;
        std::string parsed;
        transport_.ReceiveResponse(
            "", raw, kAnswerRoom, static_cast<uint32_t>((size / 10000 + 2) * 1000), false, nullptr);
        if (transport_.PortReturns() != returnsBefore) return Attempt::DeviceRestarted;
        if (!transport_.ParseResponse("", raw, parsed, kParsedRoom)) return Attempt::Ended;
        Exchange(transport_, Printf("AT&USBINTERFACE=18,%ld\r\n", size), 5000);
        return Attempt::Ended;
    }

    void Step() {
        if (bar_) bar_->Step();
    }

    enum class DataPhase { Sent, Stopped, PortVanished };

    // The payload, straight to the port. Stopped: the upload was ended from
    // outside (no closing exchange then).
    DataPhase SendData() {
        const size_t size = data_.size();
        int shortWrites = 0;
        while (sent_ < size) {
            if (finished_.load()) return DataPhase::Stopped;
            const size_t chunk = UploadChunkSize(size - sent_);
            const long written = transport_.WriteRaw(data_.data() + sent_, chunk);
            if (written < 0) return DataPhase::PortVanished;
            CommandLog& log = transport_.Log();
            if (log.IsOpen())
                log.WriteUploadChunk(static_cast<long>(sent_), static_cast<long>(size), written);
            Step();
            TheClock().SleepMs(kUploadChunkPauseMs);
            // What went out is never sent again: the device counts every byte it
            // receives as file content, so a repeated piece would corrupt the file
            // and push its last bytes into the device's command interpreter.
            sent_ += static_cast<size_t>(written);
            if (static_cast<size_t>(written) == chunk) {
                shortWrites = 0;
            } else if (++shortWrites > kMaxShortWrites) {
                // Six short writes in a row: the line is stuck, end the data phase.
                break;
            }
        }
        return DataPhase::Sent;
    }

    Transport& transport_;
    const UploadSource& source_;
    ProgressSink* bar_;
    std::atomic<int>& finished_;
    std::string data_;
    size_t sent_ = 0;
};

}  // namespace

std::string LocalFileName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string UploadDestination(const UploadSource& source) {
    if (source.firmware) return "/fw/updatefw.dwl";
    const std::string folder = source.mesh ? "/WEB/mesh/" : "/WEB/python/";
    return folder + LocalFileName(source.localPath);
}

uint32_t CapSizeTimeout(uint64_t sizeDerivedMs) {
    return static_cast<uint32_t>(std::min<uint64_t>(sizeDerivedMs, kMaxSizeTimeoutMs));
}

size_t UploadChunkSize(size_t remaining) {
    if (remaining >= kChunk) return kChunk;
    if (remaining > 0 && remaining % 64 == 0) return remaining - 1;
    return remaining;
}

void UploadFile(Transport& transport, const UploadSource& source, ProgressSink* bar,
                std::atomic<int>& finished) {
    UploadRun(transport, source, bar, finished).Run();
    finished.store(1);
}

}  // namespace merivane
