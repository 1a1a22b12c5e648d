#include "ops/SignalHistory.h"

#include <algorithm>
#include <ctime>

#include "app/Prompts.h"
#include "ops/OpsMessages.h"
#include "support/ReplacementFile.h"

namespace merivane {

std::optional<int> CsqToDbm(int csq) {
    if (csq < 0 || csq > 31) return std::nullopt;
    return -113 + 2 * csq;
}

const char* RegistrationText(int registration) {
    switch (registration) {
        case 0:
            return "not registered";
        case 1:
            return "registered home";
        case 2:
            return "searching";
        case 3:
            return "denied";
        case 5:
            return "roaming";
        default:
            return "unknown";
    }
}

void SignalHistory::Add(const SignalSample& sample) {
    samples_.push_back(sample);
    while (!samples_.empty() && samples_.front().timeMs <= sample.timeMs - windowMs_)
        samples_.pop_front();
}

std::optional<int> SignalHistory::MinDbm() const {
    std::optional<int> low;
    for (const SignalSample& s : samples_)
        if (const auto dbm = CsqToDbm(s.csq)) low = low ? std::min(*low, *dbm) : *dbm;
    return low;
}

std::optional<int> SignalHistory::MaxDbm() const {
    std::optional<int> high;
    for (const SignalSample& s : samples_)
        if (const auto dbm = CsqToDbm(s.csq)) high = high ? std::max(*high, *dbm) : *dbm;
    return high;
}

std::string IsoUtc(int64_t timeMs) {
    const std::time_t seconds = static_cast<std::time_t>(timeMs / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string SignalCsv(const std::deque<SignalSample>& samples) {
    std::string csv = "time,csq,dbm,registration\r\n";
    for (const SignalSample& s : samples) {
        const auto dbm = CsqToDbm(s.csq);
        csv += IsoUtc(s.timeMs) + "," + std::to_string(s.csq) + "," +
               (dbm ? std::to_string(*dbm) : "") + "," + RegistrationText(s.registration) + "\r\n";
    }
    return csv;
}

bool SaveSignalCsv(const SignalHistory& history, Prompts& prompts) {
    const std::string path = prompts.SaveFile("signal.csv", "csv", "*.csv");
    if (path.empty()) return false;
    std::string error;
    if (ReplaceFile(path, SignalCsv(history.Samples()), FileSecrecy::Ordinary, error)) return true;
    prompts.Inform(FillIn("The samples could not be saved to %s (%s).", {path, error}),
                   kErrorCaption, Prompts::Icon::Error);
    return false;
}

}  // namespace merivane
