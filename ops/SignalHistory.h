#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace merivane {

// One reading of the modem's signal: when (milliseconds since 1970, UTC), the
// received signal strength as the modem reports it (0-31, 99 = not known) and
// the network registration status of "AT+CREG?" (0-5).
struct SignalSample {
    int64_t timeMs = 0;
    int csq = 99;
    int registration = 0;
};

// The signal strength in dBm for a CSQ value: -113 + 2 x CSQ for 0 to 31;
// nothing for 99 (not known) or anything else.
std::optional<int> CsqToDbm(int csq);

// How the modem stands with the network, in a few words ("registered home",
// "roaming", "searching", "denied", "not registered", "unknown").
const char* RegistrationText(int registration);

// The samples of the last `windowMs`, oldest first: older ones are dropped as
// new ones come.
class SignalHistory {
  public:
    static constexpr int64_t kWindowMs = 10 * 60 * 1000;

    explicit SignalHistory(int64_t windowMs = kWindowMs) : windowMs_(windowMs) {}

    void Add(const SignalSample& sample);
    const std::deque<SignalSample>& Samples() const { return samples_; }
    bool Empty() const { return samples_.empty(); }
    void Clear() { samples_.clear(); }
    // The lowest and highest known dBm in the window; nothing when none is known.
    std::optional<int> MinDbm() const;
    std::optional<int> MaxDbm() const;

  private:
    int64_t windowMs_;
    std::deque<SignalSample> samples_;
};

// "2026-12-08T11:51:33Z".
std::string IsoUtc(int64_t timeMs);

// The samples as CSV: a header line "time,csq,dbm,registration", then one line
// a sample (an unknown dBm left empty), lines ended by "\r\n".
std::string SignalCsv(const std::deque<SignalSample>& samples);

class Prompts;

// Asks where to save the samples as CSV ("signal.csv") and saves them there,
// replacing a file only once the new one is complete. Says why when that
// fails. True when saved.
bool SaveSignalCsv(const SignalHistory& history, Prompts& prompts);

}  // namespace merivane
