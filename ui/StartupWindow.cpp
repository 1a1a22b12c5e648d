#include "ui/StartupWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <thread>

#include "app/CKestrionApp.h"
#include "link/Transport.h"
#include "ui/QtText.h"
#include "ui/QueuedLinkWatcher.h"

namespace merivane {

StartupWindow::StartupWindow(Transport& transport, QWidget* parent)
    : QDialog(parent),
      transport_(transport),
      relay_(std::make_unique<QueuedLinkWatcher>(
          this, [this](LinkState state, int secondsLeft) { ShowLinkState(state, secondsLeft); })),
      stepText_(new QLabel(this)),
      waitText_(new QLabel(this)) {
    setWindowTitle(CKestrionApp::kDisplayName);
    setObjectName("startupWindow");
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(tr("Connecting to the device\u2026"), this);
    heading->setObjectName("connectingText");
    layout->addWidget(heading);
    stepText_->setObjectName("stepText");
    stepText_->setTextFormat(Qt::PlainText);
    layout->addWidget(stepText_);
    waitText_->setObjectName("waitText");
    waitText_->setTextFormat(Qt::PlainText);
    waitText_->setWordWrap(true);
    waitText_->hide();
    layout->addWidget(waitText_);
    auto* busy = new QProgressBar(this);
    busy->setRange(0, 0);  // no known end: a moving bar says the program is alive
    busy->setTextVisible(false);
    busy->setAccessibleName(tr("Progress"));
    layout->addWidget(busy);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &StartupWindow::reject);
    setMinimumWidth(360);
}

StartupWindow::~StartupWindow() = default;

QString StartupWindow::StepText() const { return stepText_->text(); }

QString StartupWindow::WaitText() const {
    return waitText_->isHidden() ? QString() : waitText_->text();
}

void StartupWindow::ShowLinkState(LinkState state, int secondsLeft) {
    const bool waiting = state == LinkState::Waiting;
    if (waiting) waitText_->setText(ToQt(WaitingForDeviceText(secondsLeft)));
    waitText_->setVisible(waiting);
}

bool StartupWindow::RunStep(const QString& step, const std::function<void()>& exchange) {
    if (GivenUp()) return false;
    stepText_->setText(step);
    if (!isVisible()) show();
    QEventLoop loop;
    LinkWatcher* const before = transport_.Watcher();
    transport_.SetWatcher(relay_.get());
    std::thread worker([&] {
        exchange();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    transport_.SetWatcher(before);
    ShowLinkState(LinkState::Up, 0);
    return !GivenUp();
}

void StartupWindow::OnUserInterfaceThread(const std::function<void()>& call) {
    if (QThread::currentThread() == qApp->thread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(qApp, call, Qt::BlockingQueuedConnection);
}

void StartupWindow::GiveUp() {
    givenUp_.store(true);
    transport_.CancelWait();
    hide();
}

void StartupWindow::reject() { GiveUp(); }

void StartupWindow::closeEvent(QCloseEvent* event) {
    GiveUp();
    event->accept();
}

}  // namespace merivane
