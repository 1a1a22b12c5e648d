#include "ops/SignalPoll.h"

#include <chrono>

#include "app/Identification.h"
#include "link/Transport.h"
#include "settings/RciRequests.h"

namespace merivane {
namespace {

// While it is held, a vanished port ends the exchange instead of being waited for.
class NoWaiting {
  public:
    explicit NoWaiting(Transport& transport) : transport_(transport) {
        transport_.SetWaitingAllowed(false);
    }
    ~NoWaiting() { transport_.SetWaitingAllowed(true); }
    NoWaiting(const NoWaiting&) = delete;
    NoWaiting& operator=(const NoWaiting&) = delete;

  private:
    Transport& transport_;
};

// One exchange as the runner makes it; the parsed answer, or nothing when it failed or was empty.
std::optional<std::string> Ask(Transport& transport, const std::string& command,
                               uint32_t timeoutMs) {
    if (transport.SendCommand(command) == 0) return std::nullopt;
    std::string raw;
    if (!transport.ReceiveResponse(command, raw, Transport::kAnswerBufferSize, timeoutMs, false,
                                   nullptr))
        return std::nullopt;
    std::string parsed;
    if (!transport.ParseResponse(command, raw, parsed, Transport::kAnswerBufferSize) ||
        parsed.empty())
        return std::nullopt;
    return parsed;
}

int64_t WallMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

SignalPoll PollSignal(Transport& transport, bool readState) {
    SignalPoll poll;
    const auto hold = transport.TryHold();
    if (!hold.owns_lock()) return poll;
    if (transport.State() == LinkState::Lost) {
        poll.outcome = PollOutcome::LinkLost;
        return poll;
    }
    const NoWaiting quiet(transport);
    poll.sample.timeMs = WallMs();
    if (const auto answer = Ask(transport, "AT+CSQ\r\n", 1000))
        poll.sample.csq = SignalQualityFromAnswer(*answer);
    if (const auto answer = Ask(transport, "AT+CREG?\r\n", 1000))
        poll.sample.registration = RegistrationFromAnswer(*answer);
    else
        poll.sample.registration = 4;  // unknown
    if (readState) poll.stateAnswer = Ask(transport, rci::InlineCommand(rci::kQueryState), 10000);
    poll.outcome =
        transport.State() == LinkState::Lost ? PollOutcome::LinkLost : PollOutcome::Sampled;
    return poll;
}

}  // namespace merivane
