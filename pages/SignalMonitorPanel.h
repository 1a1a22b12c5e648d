#pragma once

#include <QGroupBox>
#include <QTimer>
#include <cstdint>
#include <thread>

#include "ops/SignalHistory.h"
#include "ops/SignalPoll.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace merivane {

class CKestrionApp;
class Prompts;
class SignalPlot;

// "Monitor signal": while ticked and shown, asks the device for its signal
// every two seconds and plots the last ten minutes, for a technician who
// points an antenna. A poll runs on a thread of its own and never mixes with
// other device work: it skips its turn while an operation holds the link or a
// modal dialog is up, and it never waits for a device that has gone (the
// monitor then stops). The gateway's state is read again at most every ten
// seconds for its bars.
class SignalMonitorPanel : public QGroupBox {
    Q_OBJECT
  public:
    explicit SignalMonitorPanel(QWidget* parent = nullptr);
    ~SignalMonitorPanel() override;

    // What the polls work with, once the page is on a sheet; before that the panel does nothing.
    void SetContext(CKestrionApp& app, Prompts& prompts);
    // The page is shown or hidden: polling runs only while it is shown.
    void SetShown(bool shown);

    bool Monitoring() const;
    const SignalHistory& History() const { return history_; }
    SignalPlot* Plot() const { return plot_; }
    QString Summary() const;

    static constexpr uint64_t kPollIntervalMs = 2000;
    static constexpr uint64_t kStateIntervalMs = 10000;

  signals:
    // A sample came in (the identity's signal and maybe the state changed).
    void Sampled();
    // The device is gone; monitoring has stopped.
    void LinkLost();

  private:
    void Tick();
    void Finished(SignalPoll poll);
    void ShowHistory();
    void JoinPoller();

    CKestrionApp* app_ = nullptr;
    Prompts* prompts_ = nullptr;
    QCheckBox* monitorBox_;
    SignalPlot* plot_;
    QLabel* summary_;
    QPushButton* saveButton_;
    QTimer timer_;
    std::thread poller_;
    bool polling_ = false;
    bool shown_ = false;
    uint64_t stateReadAt_ = 0;
    bool stateRead_ = false;
    SignalHistory history_;
};

}  // namespace merivane
