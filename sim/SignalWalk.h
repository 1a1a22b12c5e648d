#pragma once

#include <cstdint>
#include <random>

namespace merivane::sim {

struct ModemIdentity;
class DeviceModel;

// A signal that drifts as a moving antenna's would: every two seconds of
// product time the modem's signal quality takes a small random step, now and
// then it is lost (99) for a few steps and the modem searches for the network,
// and sometimes it roams. The state document's quality follows the signal.
class SignalWalk {
  public:
    explicit SignalWalk(uint32_t seed = 7) : random_(seed) {}

    // Takes every step due by `nowMs` (product time).
    void Advance(uint64_t nowMs, ModemIdentity& modem, DeviceModel& model, bool tracker);

    static constexpr uint64_t kStepMs = 2000;

  private:
    void Step(ModemIdentity& modem);

    std::mt19937 random_;
    uint64_t nextStepAt_ = 0;
    int level_ = 17;     // the signal while it is not lost
    int lostSteps_ = 0;  // steps left without signal
};

}  // namespace merivane::sim
