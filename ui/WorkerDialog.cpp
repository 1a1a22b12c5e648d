#include "ui/WorkerDialog.h"

#include <QMetaObject>

namespace merivane {

WorkerDialog::WorkerDialog(QWidget* parent)
    // A caption and nothing else: no close box, no window menu.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setModal(true);
}

WorkerDialog::~WorkerDialog() { JoinWorker(); }

int WorkerDialog::exec() {
    JoinWorker();
    PrepareRun();
    const uint64_t run = ++run_;
    running_.store(true);
    worker_ = std::thread([this, run] {
        Work();
        QMetaObject::invokeMethod(
            this, [this, run] { OnWorkerDone(run); }, Qt::QueuedConnection);
    });
    const int result = QDialog::exec();
    // The modal loop can only end early when the application itself is quitting;
    // the job still owns its data until it ends.
    JoinWorker();
    running_.store(false);
    return result;
}

void WorkerDialog::OnWorkerDone(uint64_t run) {
    // A notice from an earlier run that ended without its modal loop must not
    // close a later run.
    if (run != run_ || !running_.load()) return;
    running_.store(false);
    WorkFinished();
    accept();
}

void WorkerDialog::done(int result) {
    if (running_.load()) return;
    QDialog::done(result);
}

void WorkerDialog::reject() {
    if (running_.load()) return;
    QDialog::reject();
}

void WorkerDialog::JoinWorker() {
    if (worker_.joinable()) worker_.join();
}

}  // namespace merivane
