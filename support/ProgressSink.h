#pragma once

namespace merivane {

// A progress bar as the engines see it. The dialogs implement it thread-safely;
// headless callers pass nullptr or a recording sink.
class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual int Position() = 0;
    virtual void SetPosition(int position) = 0;
    // Advances the position by the step size.
    virtual void Step() = 0;
    virtual void SetRange(int low, int high) = 0;
    virtual void SetStepSize(int step) = 0;
};

}  // namespace merivane
