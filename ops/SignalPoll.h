#pragma once

#include <optional>
#include <string>

#include "ops/SignalHistory.h"

namespace merivane {

class Transport;

// How one poll of the signal went.
enum class PollOutcome {
    Sampled,   // the sample (and, when asked for, the state answer) came
    Busy,      // another exchange holds the link: this turn is skipped
    LinkLost,  // the device is gone; polling stops (no wait is started)
};

struct SignalPoll {
    PollOutcome outcome = PollOutcome::Busy;
    SignalSample sample;
    // The state query's parsed answer, for the state loader (with `readState`).
    std::optional<std::string> stateAnswer;
};

// One poll: "AT+CSQ" and "AT+CREG?" with identification's time-outs and answer
// rules (an answer that failed or did not come reads as unknown), and with
// `readState` identification's state query. Skips the turn when the link is in
// use, and never waits for a vanished port. Safe on any thread.
SignalPoll PollSignal(Transport& transport, bool readState);

}  // namespace merivane
