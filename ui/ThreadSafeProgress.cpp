#include "ui/ThreadSafeProgress.h"

#include <QMetaObject>
#include <QProgressBar>
#include <algorithm>

namespace merivane {

ThreadSafeProgress::ThreadSafeProgress(QProgressBar* bar, QObject* parent)
    : QObject(parent), bar_(bar) {}

int ThreadSafeProgress::Position() { return position_.load(); }

int ThreadSafeProgress::Clamp(int position) const {
    const int low = low_.load();
    const int high = std::max(low, high_.load());
    return std::clamp(position, low, high);
}

void ThreadSafeProgress::SetPosition(int position) {
    position_.store(Clamp(position));
    ScheduleRefresh();
}

void ThreadSafeProgress::Step() {
    int current = position_.load();
    while (!position_.compare_exchange_weak(current, Clamp(current + step_.load()))) {
    }
    ScheduleRefresh();
}

void ThreadSafeProgress::SetRange(int low, int high) {
    low_.store(low);
    high_.store(high);
    position_.store(Clamp(position_.load()));
    ScheduleRefresh();
}

void ThreadSafeProgress::SetStepSize(int step) { step_.store(step); }

void ThreadSafeProgress::ScheduleRefresh() {
    // One refresh in the queue is enough: it shows whatever is current when it runs.
    if (refreshPending_.exchange(true)) return;
    QMetaObject::invokeMethod(
        this, [this] { Refresh(); }, Qt::QueuedConnection);
}

void ThreadSafeProgress::Refresh() {
    refreshPending_.store(false);
    if (!bar_) return;
    const int low = low_.load();
    const int high = high_.load();
    // An empty range would turn the bar into a busy indicator; show it empty instead.
    if (high <= low) {
        bar_->setRange(0, 1);
        bar_->setValue(0);
        return;
    }
    bar_->setRange(low, high);
    bar_->setValue(Clamp(position_.load()));
}

}  // namespace merivane
