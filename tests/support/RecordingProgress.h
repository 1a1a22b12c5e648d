#pragma once

#include <atomic>

#include "support/ProgressSink.h"

namespace merivane::test {

// A progress bar that only remembers where it stands.
class RecordingProgress : public ProgressSink {
  public:
    int Position() override { return position_; }
    void SetPosition(int position) override { position_ = position; }
    void Step() override { position_ += step_; }
    void SetRange(int low, int high) override {
        low_ = low;
        high_ = high;
    }
    void SetStepSize(int step) override { step_ = step; }

    int Low() const { return low_; }
    int High() const { return high_; }

  private:
    std::atomic<int> position_{0};
    int step_ = 10;
    int low_ = 0;
    int high_ = 100;
};

}  // namespace merivane::test
