#pragma once

namespace merivane::sim {

// An event descriptor that other threads use to wake the device thread out
// of its poll (stop requests, plug and unplug requests).
class WakeSignal {
  public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    bool IsValid() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    void Notify();
    // Consumes every pending notification.
    void Drain();

  private:
    int fd_ = -1;
};

}  // namespace merivane::sim
