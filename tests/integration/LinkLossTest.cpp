// A device that goes away in the middle of work: one wait per batch, a link
// that is then lost for the rest of it, a device that comes back on a new
// pseudo-terminal behind the same name, and a wait the user gives up.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

#include "app/BatchExecutor.h"
#include "app/Identification.h"
#include "app/Product.h"
#include "settings/DocumentStore.h"
#include "support/Clock.h"
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
        SimFixture::TearDown();
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

// A device that restarts in the middle of an upload's data has forgotten the
// announced file and keeps at most part of it. Back within the window, it is
// quieted again and gets the upload anew from its announcement; away for
// longer, the upload ends with the link lost. Either way, nothing of the file
// ever reaches the device as a command line.
TEST_F(LinkLossTest, AnUploadCutOffInItsDataStartsAgainOnTheReturnedDevice) {
    struct Case {
        const char* name;
        uint64_t awayMs;
        bool stored;
    };
    const Case cases[] = {
        {"back after 3 s", 3000, true},
        {"back after 20 s", 20000, true},
        {"away longer than the window", Transport::kReopenWindowMs + 30000, false},
    };
    const std::string path = dir_.File("main.py");
    std::string content(300000, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 % 251);
    test::WriteWholeFile(path, content);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        options_.console = true;  // talking again after every restart
        options_.restartMs = c.awayMs;
        StartDevice();
        transport_.SetConsolePause("AT&usbinterface=55,pause\r\n");
        transport_.PauseConsole();
        ASSERT_TRUE(device_->AddFault("unplug-after-bytes:100000"));
        executor_.RunUpload(UploadSource{path, false, false});

        EXPECT_EQ(device_->FileContents("/WEB/python/main.py") == content, c.stored);
        EXPECT_EQ(transport_.State(), c.stored ? LinkState::Up : LinkState::Lost);
        const std::vector<std::string> lines = device_->ReceivedCommands();
        const auto announced = std::find(lines.begin(), lines.end(), "AT&USBINTERFACE=5");
        ASSERT_NE(announced, lines.end());
        const auto again = std::find(announced + 1, lines.end(), "AT&USBINTERFACE=17,300000");
        EXPECT_EQ(again != lines.end(), c.stored) << "announced anew after the return";
        EXPECT_EQ(std::find(announced, again, "AT&usbinterface=55,pause") != again, c.stored)
            << "the returned device is quieted before it is told anything";
        for (const std::string& line : lines)
            EXPECT_TRUE(line.rfind("AT", 0) == 0 || line.rfind("at", 0) == 0) << line;
    }
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
