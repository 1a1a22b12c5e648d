#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>

#include "support/ProgressSink.h"

class QProgressBar;

namespace merivane {

// A progress bar that a worker thread may drive. The position, range and step
// live in atomics, so the engine reads back exactly what it set without
// waiting for the user-interface thread; the visible bar catches up through
// one queued refresh at a time. Positions are held to the range, as a
// progress control holds them.
class ThreadSafeProgress : public QObject, public ProgressSink {
    Q_OBJECT
  public:
    explicit ThreadSafeProgress(QProgressBar* bar, QObject* parent = nullptr);

    int Position() override;
    void SetPosition(int position) override;
    void Step() override;
    void SetRange(int low, int high) override;
    void SetStepSize(int step) override;

    int Low() const { return low_.load(); }
    int High() const { return high_.load(); }
    int StepSize() const { return step_.load(); }

    // Shows the current values at once (user-interface thread only).
    void Refresh();

  private:
    int Clamp(int position) const;
    void ScheduleRefresh();

    QPointer<QProgressBar> bar_;
    std::atomic<int> position_{0};
    std::atomic<int> low_{0};
    std::atomic<int> high_{100};
    std::atomic<int> step_{10};
    std::atomic<bool> refreshPending_{false};
};

}  // namespace merivane
