#include "pages/SignalMonitorPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <chrono>

#include "app/CKestrionApp.h"
#include "app/Product.h"
#include "support/Clock.h"
#include "ui/QtText.h"
#include "ui/SignalPlot.h"

namespace merivane {
namespace {

int64_t WallMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

QString DbmText(std::optional<int> dbm) {
    return dbm ? QString("%1 dBm").arg(*dbm) : QString("unknown");
}

}  // namespace

SignalMonitorPanel::SignalMonitorPanel(QWidget* parent)
    : QGroupBox(tr("Signal Monitor"), parent),
      monitorBox_(new QCheckBox(tr("Monitor signal"), this)),
      plot_(new SignalPlot(this)),
      summary_(new QLabel(this)),
      saveButton_(new QPushButton(tr("Save as CSV\u2026"), this)) {
    monitorBox_->setObjectName("monitorSignalBox");
    saveButton_->setObjectName("saveCsvButton");
    summary_->setObjectName("signalSummary");
    summary_->setTextFormat(Qt::PlainText);
    summary_->setWordWrap(true);
    saveButton_->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    auto* controls = new QHBoxLayout;
    controls->addWidget(monitorBox_);
    controls->addWidget(summary_, 1);
    controls->addWidget(saveButton_);
    layout->addLayout(controls);
    layout->addWidget(plot_);
    plot_->setVisible(false);
    summary_->setVisible(false);

    timer_.setInterval(TheClock().RealMs(static_cast<int>(kPollIntervalMs)));
    // Samples are stamped in real time, as the timer runs: three polls missed make a gap.
    plot_->SetGapMs(3 * timer_.interval());
    connect(&timer_, &QTimer::timeout, this, &SignalMonitorPanel::Tick);
    connect(monitorBox_, &QCheckBox::toggled, this, [this](bool on) {
        plot_->setVisible(on || !history_.Empty());
        summary_->setVisible(on || !history_.Empty());
        if (on) {
            timer_.start();
            Tick();
        } else {
            timer_.stop();
        }
    });
    connect(saveButton_, &QPushButton::clicked, this, [this] {
        if (prompts_ != nullptr) SaveSignalCsv(history_, *prompts_);
    });
}

SignalMonitorPanel::~SignalMonitorPanel() {
    timer_.stop();
    JoinPoller();
}

void SignalMonitorPanel::SetContext(CKestrionApp& app, Prompts& prompts) {
    app_ = &app;
    prompts_ = &prompts;
}

void SignalMonitorPanel::SetShown(bool shown) {
    shown_ = shown;
    if (shown && Monitoring()) Tick();
}

bool SignalMonitorPanel::Monitoring() const { return monitorBox_->isChecked(); }

QString SignalMonitorPanel::Summary() const { return summary_->text(); }

void SignalMonitorPanel::JoinPoller() {
    if (poller_.joinable()) poller_.join();
}

void SignalMonitorPanel::Tick() {
    // Device work and dialogs come first: a poll waits for the next turn. (The
    // sheet itself runs modally; any other modal window is a dialog over it.)
    const QWidget* modal = QApplication::activeModalWidget();
    if (app_ == nullptr || !Monitoring() || !shown_ || polling_ ||
        (modal != nullptr && modal != window()))
        return;
    const uint64_t now = TheClock().NowMs();
    const bool readState =
        !IsKorvane(g_product) && (!stateRead_ || now - stateReadAt_ >= kStateIntervalMs);
    JoinPoller();
    polling_ = true;
    Transport& link = app_->Link();
    poller_ = std::thread([this, &link, readState] {
        SignalPoll poll = PollSignal(link, readState);
        QMetaObject::invokeMethod(
            this, [this, poll] { Finished(poll); }, Qt::QueuedConnection);
    });
}

void SignalMonitorPanel::Finished(SignalPoll poll) {
    JoinPoller();
    polling_ = false;
    switch (poll.outcome) {
        case PollOutcome::Busy:
            return;
        case PollOutcome::LinkLost:
            monitorBox_->setChecked(false);
            summary_->setText(tr("The device is gone: monitoring stopped."));
            emit LinkLost();
            return;
        case PollOutcome::Sampled:
            break;
    }
    history_.Add(poll.sample);
    DeviceIdentity& identity = app_->Identity();
    identity.signalQuality = poll.sample.csq;
    identity.registration = poll.sample.registration;
    if (poll.stateAnswer) {
        app_->Documents().LoadStateDocument(*poll.stateAnswer);
        stateRead_ = true;
        stateReadAt_ = TheClock().NowMs();
    }
    ShowHistory();
    emit Sampled();
}

void SignalMonitorPanel::ShowHistory() {
    plot_->Show(history_, WallMs());
    saveButton_->setEnabled(!history_.Empty());
    const SignalSample& newest = history_.Samples().back();
    summary_->setText(tr("Now %1 (CSQ %2), %5. Lowest %3, highest %4 in the last 10 minutes.")
                          .arg(DbmText(CsqToDbm(newest.csq)))
                          .arg(newest.csq)
                          .arg(DbmText(history_.MinDbm()))
                          .arg(DbmText(history_.MaxDbm()))
                          .arg(QString::fromUtf8(RegistrationText(newest.registration))));
}

}  // namespace merivane
