#pragma once

#include <string>

namespace merivane {

// What the transport knows of the link to the device.
enum class LinkState {
    Up,       // the port is there (or not yet known to be gone)
    Waiting,  // the port vanished; the transport waits for it to come back
    Lost,     // the wait ran out or was given up: commands fail at once until a new batch
};

// Told when the transport starts or stops waiting for a vanished port, and
// about once a second while it waits. Called on the thread that waits (a
// dialog's worker, the command line's main thread).
class LinkWatcher {
  public:
    virtual ~LinkWatcher() = default;
    // `secondsLeft` counts down while Waiting; 0 otherwise.
    virtual void LinkStateChanged(LinkState state, int secondsLeft) = 0;
    // True when an answer has been awaited for a long while (the device may be
    // slow, or a listed size promised more than will come); false when that
    // wait ends. Giving it up (Transport::CancelWait) announces nothing to the
    // device.
    virtual void LongAnswerWait(bool /*waiting*/) {}
};

// The line shown while the transport waits for the device, with the seconds left.
std::string WaitingForDeviceText(int secondsLeft);

}  // namespace merivane
