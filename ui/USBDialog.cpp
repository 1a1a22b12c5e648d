#include "ui/USBDialog.h"

#include <QMetaObject>

#include "link/BatchRunner.h"
#include "link/Transport.h"
#include "ui/QtText.h"
#include "ui/ThreadSafeProgress.h"
#include "ui_USBDialog.h"

namespace merivane {

// Carries the runner's step notices from the worker to the dialog. The bar
// steps at once, on the worker, so the receive that follows counts on from
// the stepped position; the step text follows through the event queue.
class USBDialog::StepRelay : public BatchObserver {
  public:
    explicit StepRelay(USBDialog& dialog) : dialog_(dialog) {}

    void ShowStep(size_t position, const std::string& message) override {
        dialog_.progress_->Step();
        const int index = static_cast<int>(position);
        const QString text = ToQt(message);
        QMetaObject::invokeMethod(
            &dialog_, [this, index, text] { dialog_.ShowStep(index, text); }, Qt::QueuedConnection);
    }

  private:
    USBDialog& dialog_;
};

USBDialog::USBDialog(Transport& transport, QWidget* parent)
    : WorkerDialog(transport, parent), ui_(std::make_unique<Ui::USBDialog>()) {
    ui_->setupUi(this);
    // The port name and the step texts (which name device files) are shown as they are.
    ui_->portLine->setTextFormat(Qt::PlainText);
    ui_->stepText->setTextFormat(Qt::PlainText);
    progress_ = new ThreadSafeProgress(ui_->progressBar, this);
    relay_ = std::make_unique<StepRelay>(*this);
}

USBDialog::~USBDialog() = default;

QString USBDialog::PortLineText() const { return ui_->portLine->text(); }

QString USBDialog::StepText() const { return ui_->stepText->text(); }

void USBDialog::PrepareRun() {
    ui_->portLine->setText(QString::asprintf("Communicating with the device on %s. Please wait...",
                                             Link().PortName().c_str()));
    ui_->stepText->clear();
    PrepareBatchProgress(commands, progress_);
    progress_->Refresh();
}

void USBDialog::Work() { RunCommands(Link(), commands, progress_, relay_.get()); }

void USBDialog::WorkFinished() { progress_->Refresh(); }

void USBDialog::ShowStep(int position, const QString& message) {
    ui_->stepText->setText(message);
    emit StepShown(position, message);
}

}  // namespace merivane
