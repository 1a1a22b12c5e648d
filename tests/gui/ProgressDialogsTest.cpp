#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <random>
#include <thread>

#include "GuiTestSupport.h"
#include "support/Clock.h"
#include "support/FileMd5Hex.h"
#include "support/PtyPair.h"
#include "support/SimFixture.h"
#include "ui/DialogExecutor.h"
#include "ui/ThreadSafeProgress.h"
#include "ui/USBDialog.h"
#include "ui/UploadProgress.h"

namespace merivane {
namespace {

using test::WhenModalAppears;

// The dialogs against the simulated device, on a clock fifty times faster than real time.
class ProgressDialogsTest : public test::SimFixture {
  protected:
    ProgressDialogsTest() : clock_(50.0, 1500), installed_(clock_) {}

    ScaledClock clock_;
    ScopedClock installed_;
};

TEST_F(ProgressDialogsTest, TheRunnerRunsABatchToTheEndAndShowsEachStep) {
    USBDialog dialog(transport_);
    dialog.commands = {{"AT+CSQ\r\n", "Reading the signal...", 2000},
                       {"SLEEP", "Waiting...", 3000},
                       {"AT+CGMI\r\n", "Reading the maker...", 2000}};
    std::vector<std::pair<int, QString>> steps;
    QObject::connect(&dialog, &USBDialog::StepShown, [&](int position, const QString& message) {
        steps.emplace_back(position, message);
    });

    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.windowTitle(), "Communicating with device...");
    EXPECT_EQ(dialog.PortLineText().toStdString(),
              "Communicating with the device on " + transport_.PortName() + ". Please wait...");
    EXPECT_EQ(dialog.Progress().High(), 70);
    EXPECT_EQ(dialog.StepText(), "Reading the maker...");
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[1], std::make_pair(1, QString("Waiting...")));

    EXPECT_EQ(dialog.commands[0].result, "+CSQ: 17,99");
    for (const USBCommand& command : dialog.commands)
        EXPECT_EQ(command.failed, 0) << command.command;
    EXPECT_EQ(device_->ReceivedCommands(), (std::vector<std::string>{"AT+CSQ", "AT+CGMI"}));
}

TEST_F(ProgressDialogsTest, TheSameRunnerRunsASecondBatchWithAFreshBar) {
    USBDialog dialog(transport_);
    dialog.commands = {{"AT+CSQ\r\n", "first", 5000}};
    dialog.exec();
    EXPECT_EQ(dialog.Progress().High(), 50);

    dialog.commands.clear();
    dialog.commands = {{"AT+CGSN\r\n", "second", 1000}, {}, {"AT+CSQ\r\n", "never", 1000}};
    dialog.exec();
    EXPECT_EQ(dialog.Progress().High(), 10);
    EXPECT_EQ(dialog.commands[0].failed, 0);
    EXPECT_EQ(dialog.commands[0].result.size(), 15u) << dialog.commands[0].result;
    EXPECT_EQ(device_->ReceivedCommands(), (std::vector<std::string>{"AT+CSQ", "AT+CGSN"}));
}

TEST_F(ProgressDialogsTest, AnEmptyBatchClosesAtOnceAndSendsNothing) {
    USBDialog dialog(transport_);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.Progress().High(), 0);
    EXPECT_TRUE(device_->ReceivedCommands().empty());
}

TEST_F(ProgressDialogsTest, TheExecutorHandsTheBatchBackWithItsResults) {
    DialogExecutor executor(transport_);
    CommandList list = {{"AT+CSQ\r\n", "signal", 2000}, {"AT+NOSUCH\r\n", "unknown", 2000}};
    executor.RunBatch(list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].result, "+CSQ: 17,99");
    EXPECT_EQ(list[0].failed, 0);
    EXPECT_EQ(list[1].failed, 1);
}

TEST_F(ProgressDialogsTest, UploadProgressUploadsTheFileTheDeviceThenHolds) {
    std::mt19937 random(7);
    std::string content(2112, '\0');
    for (char& c : content) c = static_cast<char>(random());
    const std::string path = dir_.File("main.py");
    test::WriteWholeFile(path, content);

    UploadProgress dialog(transport_);
    dialog.SetUploadSource(path, false, false);
    EXPECT_EQ(dialog.ShownPath().toStdString(), path);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.windowTitle(), "Uploading to device...");
    EXPECT_TRUE(dialog.Finished());
    // Three handshake steps and four chunks (1024, 1024, 63, 1) of a range of 2112/1024 + 10.
    EXPECT_EQ(dialog.Progress().High(), 12);
    EXPECT_EQ(dialog.Progress().Position(), 7);

    USBDialog check(transport_);
    check.commands = {{"at&usbinterface=41,\"/WEB/python/main.py\"\r\n", "Verifying...", 20000}};
    check.exec();
    std::string local;
    ASSERT_TRUE(FileMd5Hex(path, local));
    EXPECT_NE(check.commands[0].result.find(local), std::string::npos) << check.commands[0].result;
}

// The runner and the upload dialog both wait visibly for a vanished device and
// let the user give that wait up; Cancel is disabled while the device is there.
TEST_F(ProgressDialogsTest, CancelGivesUpTheWaitForAVanishedDeviceAndTheDialogCloses) {
    const std::string path = dir_.File("main.py");
    test::WriteWholeFile(path, std::string(3000, 'p'));
    USBDialog runner(transport_);
    runner.commands = {{"AT+CSQ\r\n", "signal", 2000}, {"AT+CGMI\r\n", "maker", 2000}};
    UploadProgress upload(transport_);
    upload.SetUploadSource(path, false, false);
    for (WorkerDialog* dialog : std::initializer_list<WorkerDialog*>{&runner, &upload}) {
        device_->Plug();
        transport_.BeginBatch();
        device_->Unplug();
        bool cancelEnabledAtStart = true;
        QString waitText;
        uint64_t cancelledAt = 0;
        QTimer poll;
        poll.callOnTimeout([&] {
            auto* cancel = dialog->findChild<QPushButton*>("cancelButton");
            if (cancel == nullptr || cancelledAt != 0) return;
            if (!dialog->WaitingForDevice()) return;
            waitText = dialog->WaitText();
            cancelledAt = Clock::RealNowMs();
            QTest::mouseClick(cancel, Qt::LeftButton);
        });
        test::WhenModalAppears([&](QWidget* modal) {
            cancelEnabledAtStart = modal->findChild<QPushButton*>("cancelButton")->isEnabled();
            poll.start(5);
        });
        EXPECT_EQ(dialog->exec(), QDialog::Accepted);
        poll.stop();
        ASSERT_NE(cancelledAt, 0u) << "the dialog never showed the wait";
        EXPECT_LT(Clock::RealNowMs() - cancelledAt, 1000u);
        EXPECT_FALSE(cancelEnabledAtStart);
        EXPECT_TRUE(waitText.startsWith(
            "The device has gone away (unplugged or restarting). Waiting for it to come back"))
            << waitText.toStdString();
        EXPECT_EQ(transport_.State(), LinkState::Lost);
    }
    for (const USBCommand& command : runner.commands) EXPECT_EQ(command.failed, 1);
}

// A device that restarts during the upload's data and is back within the
// window: the dialog shows the wait, uploads the file again to the returned
// device and closes, leaving the whole file there.
TEST_F(ProgressDialogsTest, AnUploadCutOffByARestartIsMadeAgainAndTheDialogCloses) {
    options_.restartMs = 20000;
    StartDevice();
    std::string content(200 * 1024, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 253);
    const std::string path = dir_.File("main.py");
    test::WriteWholeFile(path, content);
    ASSERT_TRUE(device_->AddFault("unplug-after-bytes:60000"));
    UploadProgress dialog(transport_);
    dialog.SetUploadSource(path, false, false);
    bool sawWait = false;
    QTimer poll;
    poll.callOnTimeout([&] { sawWait = sawWait || dialog.WaitingForDevice(); });
    poll.start(5);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(sawWait);
    EXPECT_EQ(device_->FileContents("/WEB/python/main.py"), content);
}

// A long wait for an answer (a listed size can promise more than ever comes)
// can be given up with Cancel, as the wait for a vanished device can; the
// rest of the batch is not sent.
TEST_F(ProgressDialogsTest, CancelGivesUpALongWaitForAnAnswer) {
    ASSERT_TRUE(device_->AddFault("silent:AT+CSQ"));
    USBDialog runner(transport_);
    runner.commands = {{"AT+CSQ\r\n", "signal", 7005000}, {"AT+CGMI\r\n", "maker", 1000}};
    QString waitText;
    QTimer poll;
    poll.callOnTimeout([&] {
        if (!waitText.isEmpty() || !runner.WaitingForDevice()) return;
        waitText = runner.WaitText();
        QTest::mouseClick(runner.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
    });
    test::WhenModalAppears([&](QWidget*) { poll.start(5); });
    EXPECT_EQ(runner.exec(), QDialog::Accepted);
    EXPECT_EQ(waitText, "The device is taking long to answer. Cancel gives up the wait.");
    for (const USBCommand& command : runner.commands) EXPECT_EQ(command.failed, 1);
    EXPECT_TRUE(device_->ReceivedCommands().empty() ||
                device_->ReceivedCommands().back() == "AT+CSQ");
    EXPECT_EQ(transport_.State(), LinkState::Up);
}

// A device that echoes nothing and answers each line with OK only when the
// test lets it, so a batch is provably still running while the test acts.
class GatedDevice {
  public:
    GatedDevice() : thread_([this] { Run(); }) {}
    ~GatedDevice() {
        stop_ = true;
        thread_.join();
    }
    const std::string& Path() const { return pty_.SlavePath(); }
    void Release() { released_ = true; }
    int Lines() const { return lines_.load(); }

  private:
    void Run() {
        std::string pending;
        while (!stop_) {
            pollfd fd{pty_.Master(), POLLIN, 0};
            if (::poll(&fd, 1, 10) <= 0) continue;
            char chunk[256];
            const ssize_t n = ::read(pty_.Master(), chunk, sizeof chunk);
            if (n <= 0) continue;
            pending.append(chunk, static_cast<size_t>(n));
            for (size_t end; (end = pending.find("\r\n")) != std::string::npos;) {
                pending.erase(0, end + 2);
                while (!released_ && !stop_)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                ++lines_;
                static const char kOk[] = "\r\nOK\r\n";
                if (::write(pty_.Master(), kOk, sizeof kOk - 1) < 0) return;
            }
        }
    }

    test::PtyPair pty_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> released_{false};
    std::atomic<int> lines_{0};
    std::thread thread_;
};

TEST(RunnerDialogTest, NeitherEscapeNorTheCloseBoxEndsARunningBatch) {
    GatedDevice device;
    Transport transport;
    ASSERT_TRUE(transport.OpenNamedPort(device.Path()));

    USBDialog dialog(transport);
    dialog.commands = {{"AT\r\n", "Waiting for the device...", 600000},
                       {"AT+CSQ\r\n", "Then this", 600000}};
    bool runningAfterAttempts = false;
    bool visibleAfterAttempts = false;
    WhenModalAppears([&](QWidget* modal) {
        QTest::keyClick(modal, Qt::Key_Escape);
        modal->close();
        dialog.reject();
        dialog.done(QDialog::Rejected);
        runningAfterAttempts = dialog.WorkerRunning();
        visibleAfterAttempts = modal->isVisible();
        device.Release();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(runningAfterAttempts);
    EXPECT_TRUE(visibleAfterAttempts);
    // The batch ran to its end before the modal run returned.
    EXPECT_FALSE(dialog.WorkerRunning());
    EXPECT_EQ(device.Lines(), 2);
    EXPECT_EQ(dialog.commands[0].failed, 0);
    EXPECT_EQ(dialog.commands[1].failed, 0);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
}

}  // namespace
}  // namespace merivane
