#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <functional>

class QLabel;

namespace merivane {

class Transport;

// "Connecting to the device…": the first window of the desktop program. It
// shows the start-up step in progress while that step's exchange with the
// device runs on a worker thread, so the window repaints, moves and closes
// as usual. Closing it (or pressing Cancel) gives start-up up: the step in
// progress ends early and no further step runs.
class StartupWindow : public QDialog {
    Q_OBJECT
  public:
    explicit StartupWindow(Transport& transport, QWidget* parent = nullptr);

    // Shows `step`, runs `exchange` on a worker thread and keeps the events
    // flowing until it returns. False when the user has given start-up up.
    bool RunStep(const QString& step, const std::function<void()>& exchange);
    bool GivenUp() const { return givenUp_.load(); }
    QString StepText() const;

    // Runs `call` on the user-interface thread and waits for it: start-up's
    // exchanges ask the user (which port?) from the worker thread.
    static void OnUserInterfaceThread(const std::function<void()>& call);

  protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void GiveUp();

    Transport& transport_;
    QLabel* stepText_;
    std::atomic<bool> givenUp_{false};
};

}  // namespace merivane
