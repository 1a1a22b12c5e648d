#pragma once

#include <QDialog>
#include <atomic>
#include <cstdint>
#include <thread>

namespace merivane {

// A modal dialog whose run is one piece of work on a worker thread. exec()
// prepares the dialog, starts the worker and runs the modal loop; the worker's
// end closes the dialog. Nothing else can end the run while the worker is
// busy: Escape, the close box and stray done() calls are ignored, and exec()
// joins the worker before it returns, so the caller never sees a half-run job.
// The same dialog may be run again.
class WorkerDialog : public QDialog {
    Q_OBJECT
  public:
    explicit WorkerDialog(QWidget* parent = nullptr);
    ~WorkerDialog() override;

    int exec() override;
    void done(int result) override;
    void reject() override;

    bool WorkerRunning() const { return running_.load(); }

  protected:
    // User-interface thread, before the worker starts: set up texts and the bar.
    virtual void PrepareRun() = 0;
    // The worker thread: the whole job. Must not touch widgets.
    virtual void Work() = 0;
    // User-interface thread, after the job and before the dialog closes.
    virtual void WorkFinished() {}

  private:
    void OnWorkerDone(uint64_t run);
    void JoinWorker();

    std::thread worker_;
    std::atomic<bool> running_{false};
    uint64_t run_ = 0;
};

}  // namespace merivane
