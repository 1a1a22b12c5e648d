#include "ui/WorkerDialog.h"

#include <QBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <algorithm>

#include "link/Transport.h"
#include "ui/QtText.h"
#include "ui/QueuedLinkWatcher.h"

namespace merivane {

WorkerDialog::WorkerDialog(Transport& transport, QWidget* parent)
    // A caption and nothing else: no close box, no window menu.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      transport_(transport),
      relay_(std::make_unique<QueuedLinkWatcher>(
          this, [this](LinkState state, int secondsLeft) { ShowLinkState(state, secondsLeft); },
          [this](bool waiting) { ShowAnswerWait(waiting); })) {
    setModal(true);
}

WorkerDialog::~WorkerDialog() { JoinWorker(); }

void WorkerDialog::AddWaitRow() {
    if (cancelButton_ != nullptr) return;
    auto* box = qobject_cast<QBoxLayout*>(layout());
    if (box == nullptr) {
        box = new QVBoxLayout;
        delete layout();
        setLayout(box);
    }
    // The form's width stays when the dialog later fits itself to the wait text.
    setMinimumWidth(std::max(minimumWidth(), width()));
    waitText_ = new QLabel(this);
    waitText_->setObjectName("waitText");
    waitText_->setTextFormat(Qt::PlainText);
    waitText_->setWordWrap(true);
    waitText_->hide();
    cancelButton_ = new QPushButton(tr("Cancel"), this);
    cancelButton_->setObjectName("cancelButton");
    cancelButton_->setAutoDefault(false);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cancelButton_);
    box->addWidget(waitText_);
    box->addLayout(row);
    connect(cancelButton_, &QPushButton::clicked, this, [this] { transport_.CancelWait(); });
}

int WorkerDialog::exec() {
    JoinWorker();
    AddWaitRow();
    answerWait_ = false;
    ShowLinkState(LinkState::Up, 0);
    PrepareRun();
    LinkWatcher* const before = transport_.Watcher();
    transport_.SetWatcher(relay_.get());
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
    transport_.SetWatcher(before);
    running_.store(false);
    return result;
}

void WorkerDialog::ShowLinkState(LinkState state, int secondsLeft) {
    portWait_ = state == LinkState::Waiting;
    if (portWait_) portWaitText_ = ToQt(WaitingForDeviceText(secondsLeft));
    if (state == LinkState::Lost) answerWait_ = false;
    ShowWaits();
}

void WorkerDialog::ShowAnswerWait(bool waiting) {
    answerWait_ = waiting;
    ShowWaits();
}

void WorkerDialog::ShowWaits() {
    // Either wait can be given up: nothing is owed to the device in either.
    const bool waiting = (portWait_ || answerWait_) && running_.load();
    if (waiting)
        waitText_->setText(portWait_ ? portWaitText_
                                     : tr("The device is taking long to answer. Cancel gives up "
                                          "the wait."));
    cancelButton_->setEnabled(waiting);
    if (waitText_->isHidden() == waiting) {
        waitText_->setVisible(waiting);
        adjustSize();  // room for the wrapped wait text, and none left over after it
    }
}

bool WorkerDialog::WaitingForDevice() const {
    return cancelButton_ != nullptr && cancelButton_->isEnabled();
}

QString WorkerDialog::WaitText() const {
    return waitText_ != nullptr && !waitText_->isHidden() ? waitText_->text() : QString();
}

void WorkerDialog::OnWorkerDone(uint64_t run) {
    // A notice from an earlier run that ended without its modal loop must not
    // close a later run.
    if (run != run_ || !running_.load()) return;
    running_.store(false);
    answerWait_ = false;
    ShowLinkState(LinkState::Up, 0);
    WorkFinished();
    accept();
}

void WorkerDialog::done(int result) {
    if (running_.load()) return;
    QDialog::done(result);
}

void WorkerDialog::reject() {
    // Escape and the close box give up a wait (for a vanished device, or for an
    // answer that takes long), nothing else.
    if (running_.load()) {
        if (WaitingForDevice()) transport_.CancelWait();
        return;
    }
    QDialog::reject();
}

void WorkerDialog::JoinWorker() {
    if (worker_.joinable()) worker_.join();
}

}  // namespace merivane
