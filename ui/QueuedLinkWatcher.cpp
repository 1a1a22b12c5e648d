#include "ui/QueuedLinkWatcher.h"

#include <QMetaObject>

namespace merivane {

QueuedLinkWatcher::QueuedLinkWatcher(QObject* receiver, StateCall onState,
                                     AnswerWaitCall onAnswerWait)
    : receiver_(receiver), onState_(std::move(onState)), onAnswerWait_(std::move(onAnswerWait)) {}

void QueuedLinkWatcher::LinkStateChanged(LinkState state, int secondsLeft) {
    QMetaObject::invokeMethod(
        receiver_, [this, state, secondsLeft] { onState_(state, secondsLeft); },
        Qt::QueuedConnection);
}

void QueuedLinkWatcher::LongAnswerWait(bool waiting) {
    if (!onAnswerWait_) return;
    QMetaObject::invokeMethod(
        receiver_, [this, waiting] { onAnswerWait_(waiting); }, Qt::QueuedConnection);
}

}  // namespace merivane
