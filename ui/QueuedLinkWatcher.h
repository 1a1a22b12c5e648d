#pragma once

#include <QObject>
#include <functional>

#include "link/LinkWatcher.h"

namespace merivane {

// Carries the transport's notices from the thread that waits to a window's
// thread: each call is queued to `receiver` and runs there.
class QueuedLinkWatcher : public LinkWatcher {
  public:
    using StateCall = std::function<void(LinkState state, int secondsLeft)>;
    using AnswerWaitCall = std::function<void(bool waiting)>;

    QueuedLinkWatcher(QObject* receiver, StateCall onState, AnswerWaitCall onAnswerWait = {});

    void LinkStateChanged(LinkState state, int secondsLeft) override;
    void LongAnswerWait(bool waiting) override;

  private:
    QObject* receiver_;
    StateCall onState_;
    AnswerWaitCall onAnswerWait_;
};

}  // namespace merivane
