#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class QLabel;

namespace merivane {

class QueuedLinkWatcher;
class Transport;
enum class LinkState;

// "Connecting to the device…": the first window of the desktop program. It
// shows the start-up step in progress while that step's exchange with the
// device runs on a worker thread, so the window repaints, moves and closes
// as usual. Closing it (or pressing Cancel) gives start-up up: the step in
// progress ends early and no further step runs. While a step waits for a
// device that has gone away, the window says so with the seconds left.
class StartupWindow : public QDialog {
    Q_OBJECT
  public:
    explicit StartupWindow(Transport& transport, QWidget* parent = nullptr);
    ~StartupWindow() override;

    // Shows `step`, runs `exchange` on a worker thread and keeps the events
    // flowing until it returns. False when the user has given start-up up.
    bool RunStep(const QString& step, const std::function<void()>& exchange);
    bool GivenUp() const { return givenUp_.load(); }
    QString StepText() const;
    // The waiting line for a vanished device; empty while none is awaited.
    QString WaitText() const;

    // Runs `call` on the user-interface thread and waits for it: start-up's
    // exchanges ask the user (which port?) from the worker thread.
    static void OnUserInterfaceThread(const std::function<void()>& call);

  protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void GiveUp();
    void ShowLinkState(LinkState state, int secondsLeft);

    Transport& transport_;
    std::unique_ptr<QueuedLinkWatcher> relay_;
    QLabel* stepText_;
    QLabel* waitText_;
    std::atomic<bool> givenUp_{false};
};

}  // namespace merivane
