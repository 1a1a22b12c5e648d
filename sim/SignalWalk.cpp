#include "sim/SignalWalk.h"

#include <algorithm>
#include <string>

#include "sim/DeviceModel.h"
#include "sim/ModemAnswers.h"

namespace merivane::sim {
namespace {

// The gateway's three-step and the tracker's five-step quality for a signal.
int QualityOn(int scale, int signal) {
    if (signal == 99) return 0;
    return std::clamp((signal * (scale + 1)) / 32, 0, scale);
}

}  // namespace

void SignalWalk::Step(ModemIdentity& modem) {
    if (lostSteps_ > 0) {
        if (--lostSteps_ == 0) modem.registration = 1;
    } else if (random_() % 25 == 0) {
        lostSteps_ = 1 + static_cast<int>(random_() % 3);
        modem.registration = 2;  // searching
    } else {
        level_ = std::clamp(level_ + static_cast<int>(random_() % 7) - 3, 2, 31);
        if (modem.registration != 5 && random_() % 30 == 0)
            modem.registration = 5;  // roaming
        else if (modem.registration == 5 && random_() % 4 == 0)
            modem.registration = 1;
    }
    modem.signal = lostSteps_ > 0 ? 99 : level_;
}

void SignalWalk::Advance(uint64_t nowMs, ModemIdentity& modem, DeviceModel& model, bool tracker) {
    if (nextStepAt_ == 0) {
        level_ = modem.signal == 99 ? level_ : modem.signal;
        nextStepAt_ = nowMs + kStepMs;
        return;
    }
    if (nowMs < nextStepAt_) return;
    // A device that was away for long does not walk through all the steps it missed.
    const uint64_t due = std::min<uint64_t>((nowMs - nextStepAt_) / kStepMs + 1, 10);
    for (uint64_t i = 0; i < due; ++i) Step(modem);
    nextStepAt_ = nowMs + kStepMs - (nowMs - nextStepAt_) % kStepMs;
    const int scale = tracker ? 5 : 3;
    model.SetValue(DeviceModel::Document::State, "mobile_stats/quality",
                   std::to_string(QualityOn(scale, modem.signal)));
}

}  // namespace merivane::sim
