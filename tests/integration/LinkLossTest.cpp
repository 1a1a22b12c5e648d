// A device that goes away in the middle of work: one wait per batch, a link
// that is then lost for the rest of it, a device that comes back on a new
// pseudo-terminal behind the same name, and a wait the user gives up.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "app/BatchExecutor.h"
#include "app/Identification.h"
#include "app/Product.h"
#include "settings/DocumentStore.h"
#include "support/Clock.h"
#include "support/FileMd5Hex.h"
#include "support/SimFixture.h"

namespace merivane {
namespace {

class LinkLossTest : public test::SimFixture {
  protected:
    // Unplugs the device once it has received `commands` command lines, and
    // plugs it back `backAfterMs` product milliseconds later (never without).
    void UnplugAfter(size_t commands, std::optional<uint64_t> backAfterMs) {
        mover_ = std::thread([=, this] {
            while (device_->ReceivedCommands().size() < commands && !stop_) TheClock().SleepMs(10);
            unpluggedAt_ = TheClock().NowMs();  // before: the tool may notice at once
            device_->Unplug();
            if (!backAfterMs) return;
            TheClock().SleepMs(*backAfterMs);
            device_->ClearReceivedCommands();  // from here on: what the returned device received
            device_->Plug();
        });
    }
    void TearDown() override {
        stop_ = true;
        if (mover_.joinable()) mover_.join();
    }
    bool Identify() {
        return IdentifyDevice(transport_, executor_, kBrivel, identity_, documents_);
    }

    ScaledClock clock_{200.0, 300};
    ScopedClock installed_{clock_};
    HeadlessExecutor executor_{transport_};
    DeviceIdentity identity_;
    DocumentStore documents_;
    std::thread mover_;
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> unpluggedAt_{0};
};

TEST_F(LinkLossTest, IdentificationWithAVanishedDeviceFailsAfterOneWindow) {
    UnplugAfter(2, std::nullopt);
    EXPECT_FALSE(Identify());
    const uint64_t spent = TheClock().NowMs() - unpluggedAt_;
    EXPECT_GE(spent, Transport::kReopenWindowMs);
    EXPECT_LT(spent, Transport::kReopenWindowMs + 10000)
        << "the remaining commands must not wait again";
    EXPECT_EQ(transport_.State(), LinkState::Lost);
    EXPECT_LE(device_->ReceivedCommands().size(), 3u);
}

TEST_F(LinkLossTest, ADeviceBackOnANewTerminalWithinTheWindowCompletesTheBatch) {
    const std::string firstTerminal = device_->Options().linkPath;
    UnplugAfter(2, 5000);
    EXPECT_TRUE(Identify());
    EXPECT_EQ(transport_.State(), LinkState::Up);
    EXPECT_GE(device_->PlugCount(), 2u);
    EXPECT_NE(documents_.SettingsNode(), nullptr);
    EXPECT_EQ(transport_.PortName(), firstTerminal) << "reopened by the name it was opened under";
}

TEST_F(LinkLossTest, AnUploadCutOffInItsDataNeverSendsFileBytesToTheReturnedDevice) {
    const std::string path = dir_.File("main.py");
    test::WriteWholeFile(path, std::string(20000, 'x'));
    ASSERT_TRUE(device_->AddFault("unplug-after-bytes:5000"));
    // Unplugged by the fault; the watcher only brings it back.
    mover_ = std::thread([this] {
        while (device_->IsPlugged() && !stop_) TheClock().SleepMs(10);
        TheClock().SleepMs(3000);
        device_->ClearReceivedCommands();
        device_->Plug();
    });
    executor_.RunUpload(UploadSource{path, false, false});
    CommandList digest = {
        {"at&usbinterface=41,\"/WEB/python/main.py\"\r\n", "Verifying...", 30000}};
    executor_.RunBatch(digest);
    std::string local;
    ASSERT_TRUE(FileMd5Hex(path, local));
    EXPECT_EQ(digest[0].result.find(local), std::string::npos) << "the cut-off file cannot match";
    // Whatever reached the returned device was a command line, never file content.
    for (const std::string& line : device_->ReceivedCommands())
        EXPECT_TRUE(line.rfind("AT", 0) == 0 || line.rfind("at", 0) == 0) << line;
}

// On the real clock: the user's second is a real one.
using GiveUpTest = test::SimFixture;

TEST_F(GiveUpTest, GivingUpTheWaitLosesTheLinkWithinASecond) {
    device_->Unplug();
    std::atomic<uint64_t> endedAt{0};
    std::thread batch([&] {
        transport_.BeginBatch();
        EXPECT_EQ(transport_.SendCommand("AT\r\n"), 0);
        endedAt = Clock::RealNowMs();
    });
    while (transport_.State() != LinkState::Waiting)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const uint64_t cancelledAt = Clock::RealNowMs();
    transport_.CancelWait();
    batch.join();
    EXPECT_LT(endedAt - cancelledAt, 1000u);
    EXPECT_EQ(transport_.State(), LinkState::Lost);
}

}  // namespace
}  // namespace merivane
