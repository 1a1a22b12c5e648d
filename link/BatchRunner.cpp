#include "link/BatchRunner.h"

#include <algorithm>
#include <thread>

#include "link/Transport.h"
#include "support/Interruption.h"
#include "support/ProgressSink.h"

namespace merivane {
namespace {

// The command whose answer only ends when the device has restarted.
constexpr char kFirmwareApply[] = "at&usbinterface=110";

class SteppingObserver : public BatchObserver {
  public:
    explicit SteppingObserver(ProgressSink* bar) : bar_(bar) {}
    void ShowStep(size_t, const std::string&) override {
        if (bar_) bar_->Step();
    }

  private:
    ProgressSink* bar_;
};

}  // namespace

size_t RunnableCount(const CommandList& list) {
    const auto end = std::find_if(list.begin(), list.end(),
                                  [](const USBCommand& c) { return c.command.empty(); });
    return static_cast<size_t>(end - list.begin());
}

void PrepareBatchProgress(const CommandList& list, ProgressSink* bar) {
    if (!bar) return;
    int64_t total = 0;
    for (size_t i = 0; i < RunnableCount(list); ++i) total += list[i].timeout;
    bar->SetRange(0, static_cast<int>(static_cast<uint16_t>(total / 100)));
    bar->SetPosition(0);
    bar->SetStepSize(10);
}

void RunCommands(Transport& transport, CommandList& list, ProgressSink* bar,
                 BatchObserver* observer) {
    const size_t count = RunnableCount(list);
    std::string raw;
    const auto hold = transport.Hold();
    transport.BeginBatch();
    for (size_t position = 0; position < count; ++position) {
        USBCommand& entry = list[position];
        // A program being interrupted, or a batch whose wait the user gave up,
        // sends nothing more; the commands left keep failed = 1.
        if (transport.Cancelled()) {
            entry.failed = 1;
            continue;
        }
        const size_t room =
            Transport::kAnswerBufferSize + static_cast<size_t>(std::max(entry.extraBufferSize, 0));
        if (observer) observer->ShowStep(position, entry.message);
        entry.failed = 1;
        if (transport.SendCommand(entry.command) == 0) continue;
        const bool noEndMarker = entry.command.find(kFirmwareApply) != std::string::npos;
        const uint64_t returnsBefore = transport.PortReturns();
        // Without a port to read from there is no answer to judge: the command failed.
        const bool received = transport.ReceiveResponse(
            entry.command, raw, room, static_cast<uint32_t>(std::max(entry.timeout, 0)),
            noEndMarker, bar);
        entry.portReturned = transport.PortReturns() != returnsBefore ? 1 : 0;
        // An answer whose wait was given up is no answer to judge.
        if (!received || transport.Cancelled()) continue;
        std::string parsed;
        const bool verdict = transport.ParseResponse(entry.command, raw, parsed, room);
        entry.result = std::move(parsed);
        entry.failed = verdict ? 0 : 1;
        // Answers of up to 10 MB are not kept between commands.
        raw.clear();
        raw.shrink_to_fit();
    }
}

void RunBatch(Transport& transport, CommandList& list, ProgressSink* bar) {
    PrepareBatchProgress(list, bar);
    SteppingObserver observer(bar);
    std::thread worker([&] { RunCommands(transport, list, bar, &observer); });
    worker.join();
}

}  // namespace merivane
