#pragma once

#include <QString>
#include <memory>

#include "link/USBCommand.h"
#include "ui/WorkerDialog.h"

namespace Ui {
class USBDialog;
}

namespace merivane {

class ThreadSafeProgress;
class Transport;

// "Communicating with device...": runs a batch of device commands on a worker
// thread while it shows the port, the current step and the time spent. The
// caller fills `commands`, runs exec() and reads each command's `result` and
// `failed` afterwards. To run again, empty the list and fill it anew.
class USBDialog : public WorkerDialog {
    Q_OBJECT
  public:
    explicit USBDialog(Transport& transport, QWidget* parent = nullptr);
    ~USBDialog() override;

    CommandList commands;

    QString PortLineText() const;
    QString StepText() const;
    ThreadSafeProgress& Progress() { return *progress_; }

  signals:
    // A command has started (user-interface thread).
    void StepShown(int position, const QString& message);

  protected:
    void PrepareRun() override;
    void Work() override;
    void WorkFinished() override;

  private:
    class StepRelay;

    void ShowStep(int position, const QString& message);

    std::unique_ptr<Ui::USBDialog> ui_;
    ThreadSafeProgress* progress_;
    std::unique_ptr<StepRelay> relay_;
};

}  // namespace merivane
