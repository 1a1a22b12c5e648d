#pragma once

#include <QDialog>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "link/LinkWatcher.h"

class QLabel;
class QPushButton;

namespace merivane {

class QueuedLinkWatcher;
class Transport;

// A modal dialog whose run is one piece of work with the device on a worker
// thread. exec() prepares the dialog, starts the worker and runs the modal
// loop; the worker's end closes the dialog. While bytes may flow nothing ends
// the run: Escape, the close box and stray done() calls are ignored, and
// exec() joins the worker before it returns, so the caller never sees a
// half-run job. The same dialog may be run again.
//
// The exceptions are a wait for a device that has gone away and a long wait
// for an answer: the dialog then says so (counting down the seconds left for
// a vanished device) and enables its Cancel button (and Escape), which gives
// the wait up. Nothing is owed to the device in either wait, so the job then
// fails quickly and the dialog closes.
class WorkerDialog : public QDialog {
    Q_OBJECT
  public:
    explicit WorkerDialog(Transport& transport, QWidget* parent = nullptr);
    ~WorkerDialog() override;

    int exec() override;
    void done(int result) override;
    void reject() override;

    bool WorkerRunning() const { return running_.load(); }
    // True while the job waits for the vanished device (Cancel is enabled).
    bool WaitingForDevice() const;
    QString WaitText() const;

  protected:
    // User-interface thread, before the worker starts: set up texts and the bar.
    virtual void PrepareRun() = 0;
    // The worker thread: the whole job. Must not touch widgets.
    virtual void Work() = 0;
    // User-interface thread, after the job and before the dialog closes.
    virtual void WorkFinished() {}

    Transport& Link() { return transport_; }

  private:
    void OnWorkerDone(uint64_t run);
    void JoinWorker();
    void AddWaitRow();
    void ShowLinkState(LinkState state, int secondsLeft);
    void ShowAnswerWait(bool waiting);
    void ShowWaits();

    Transport& transport_;
    std::unique_ptr<QueuedLinkWatcher> relay_;
    QLabel* waitText_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    bool portWait_ = false;
    bool answerWait_ = false;  // an answer has been awaited for long
    QString portWaitText_;
    std::thread worker_;
    std::atomic<bool> running_{false};
    uint64_t run_ = 0;
};

}  // namespace merivane
