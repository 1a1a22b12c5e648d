// Every misbehaviour switch of the simulated device, seen through the tool's
// real transport, plus the console and the chatter that a real device mixes
// into the line.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>

#include "SimTestSupport.h"
#include "link/UploadEngine.h"
#include "support/FileMd5Hex.h"

namespace merivane::sim {
namespace {

using testing::Inline;
using testing::ParseAnswerDocument;
using testing::Request;

const std::string kQueryAllSettings = Inline(Request("<query_setting></query_setting>"));

class SimFaultTest : public testing::SimDeviceFixture {
  protected:
    void StartWith(const std::string& fault) {
        DeviceOptions options = BaseOptions();
        options.faults = {fault};
        Start(options);
    }
    void Upload(const std::string& localPath) {
        std::atomic<int> finished{0};
        UploadFile(transport_, UploadSource{localPath, false, false}, nullptr, finished);
    }
    std::string Digest(const std::string& devicePath, bool* ok = nullptr) {
        std::string digest = Ask("at&usbinterface=41,\"" + devicePath + "\"\r\n", ok, 20000);
        std::erase(digest, '\r');
        std::erase(digest, '\n');
        return digest;
    }
    // Reads straight from the port for `realMs` (after start-up's fashion).
    std::string Listen(int realMs) {
        std::string got;
        char buffer[4096];
        const uint64_t end = Clock::RealNowMs() + static_cast<uint64_t>(realMs);
        while (Clock::RealNowMs() < end) {
            const long n = transport_.ReadRaw(buffer, sizeof buffer);
            if (n > 0) got.append(buffer, static_cast<size_t>(n));
        }
        return got;
    }
};

TEST_F(SimFaultTest, SilentCommandGetsNothingBackUntilTheTimeOut) {
    StartWith("silent:AT+CSQ");
    std::string raw;
    bool ok = false;
    EXPECT_EQ(testing::Exchange(transport_, "AT+CSQ\r\n", &ok, 1000, &raw), "");
    EXPECT_EQ(raw, "");
    EXPECT_EQ(Ask("AT+CREG?\r\n"), "+CREG: 0,1");
}

TEST_F(SimFaultTest, ErrorFaultAnswersErrorWithoutActing) {
    StartWith("error:set_setting");
    bool ok = true;
    Ask(Inline(Request("<set_setting><python><state>on</state></python></set_setting>")), &ok);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(device_->AutostartOn());
}

TEST_F(SimFaultTest, EchoOnlyFaultSendsTheEchoAndNothingMore) {
    StartWith("echo-only:ATI9");
    std::string raw;
    bool ok = false;
    EXPECT_EQ(testing::Exchange(transport_, "ATI9\r\n", &ok, 1000, &raw), "");
    EXPECT_EQ(raw, "ATI9\r\n");
    EXPECT_TRUE(ok);
}

TEST_F(SimFaultTest, GarbageBetweenAnswersIsFlushedAway) {
    StartWith("garbage");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Ask("AT+CSQ\r\n"), "+CSQ: 17,99");
        EXPECT_EQ(Ask("AT+CREG?\r\n"), "+CREG: 0,1");
    }
}

TEST_F(SimFaultTest, SplitAnswersArriveWhole) {
    StartWith("split");
    EXPECT_EQ(Ask("AT+CNUM\r\n"), "+CNUM: \"Line 1\",\"+15551234567\",145");
    bool ok = false;
    EXPECT_TRUE(ParseAnswerDocument(Ask(kQueryAllSettings, &ok, 20000)));
    EXPECT_TRUE(ok);
}

TEST_F(SimFaultTest, SlowAnswersComeLate) {
    // Longer than the transport's real-time floor under the fixture's clock.
    StartWith("slow:40000");
    std::string raw;
    testing::Exchange(transport_, "AT+CSQ\r\n", nullptr, 1000, &raw);
    EXPECT_EQ(raw, "AT+CSQ\r\n");  // the echo comes at once, the answer later
    std::string late;
    for (int i = 0; i < 100 && late.find("OK\r\n") == std::string::npos; ++i) late += Listen(50);
    EXPECT_EQ(late, "\r\n+CSQ: 17,99\r\n\r\nOK\r\n");

    device_->ClearFaults();
    ASSERT_TRUE(device_->AddFault("slow:2000"));
    EXPECT_EQ(Ask("AT+CSQ\r\n", nullptr, 8000), "+CSQ: 17,99");
}

// The device drops the half file and restarts; the tool's upload starts over
// on the device that came back, which takes it whole.
TEST_F(SimFaultTest, UnplugDuringUploadDataRestartsTheDeviceWhichTakesTheUploadAgain) {
    StartWith("unplug-after-bytes:2000");
    const std::string local = folder_.WriteFile("big.py", std::string(6000, 'p'));
    Upload(local);
    ASSERT_TRUE(device_->WaitForPlugCount(2, 10000));
    EXPECT_EQ(device_->FileContents("/WEB/python/big.py"), std::string(6000, 'p'));

    // The fault was used up: the next upload goes through.
    Upload(local);
    std::string hex;
    ASSERT_TRUE(FileMd5Hex(local, hex));
    EXPECT_EQ(Digest("/WEB/python/big.py"), hex);
}

TEST_F(SimFaultTest, CorruptUploadStoresOneFlippedByteOnce) {
    StartWith("corrupt-upload");
    const std::string local = folder_.WriteFile("c.py", std::string(1500, 'c'));
    std::string hex;
    ASSERT_TRUE(FileMd5Hex(local, hex));
    Upload(local);
    const std::string stored = device_->FileContents("/WEB/python/c.py").value_or("");
    ASSERT_EQ(stored.size(), 1500u);
    EXPECT_EQ(std::count(stored.begin(), stored.end(), 'c'), 1499);
    EXPECT_NE(Digest("/WEB/python/c.py"), hex);

    Upload(local);
    EXPECT_EQ(Digest("/WEB/python/c.py"), hex);
}

// A line that stops taking data for longer than the write deadline leaves the
// sender with writes that went out short; what follows must continue where
// they stopped, and the file must arrive whole and once.
TEST_F(SimFaultTest, UploadThroughAStalledLineArrivesIntact) {
    StartWith("stall-upload:6500");
    ASSERT_TRUE(transport_.Log().Open(folder_ / "command.log"));
    std::string content;
    for (int i = 0; content.size() < 300000; ++i)
        content += "line " + std::to_string(i * 7919 % 100003) + "\n";
    const std::string local = folder_.WriteFile("stall.py", content);
    std::string hex;
    ASSERT_TRUE(FileMd5Hex(local, hex));
    Upload(local);
    EXPECT_EQ(device_->FileContents("/WEB/python/stall.py"), content);
    EXPECT_EQ(Digest("/WEB/python/stall.py"), hex);

    std::ifstream log(folder_ / "command.log");
    int shortWrites = 0;
    for (std::string line; std::getline(log, line);) {
        long at = 0, size = 0, written = 0;
        if (std::sscanf(line.c_str(), "Uploading %ld/%ld bytes (%ld) complete", &at, &size,
                        &written) == 3)
            shortWrites += written != 1024 && at + written != size;
    }
    EXPECT_GT(shortWrites, 0) << "the stall did not hold up the sender";
}

TEST_F(SimFaultTest, BadXmlFaultGivesAnUnparsableAnswer) {
    StartWith("bad-xml:query_setting");
    bool ok = false;
    const std::string answer = Ask(kQueryAllSettings, &ok);
    EXPECT_TRUE(ok);
    EXPECT_NE(answer.find('<'), std::string::npos);
    EXPECT_FALSE(ParseAnswerDocument(answer));
    EXPECT_TRUE(ParseAnswerDocument(
        Ask(Inline(Request("<query_state><device_info><product/></device_info></query_state>")))));
}

TEST_F(SimFaultTest, HugeFaultOverflowsTheAnswerBuffer) {
    StartWith("huge:AT+CGSN");
    std::string raw;
    testing::Exchange(transport_, "AT+CGSN\r\n", nullptr, 60000, &raw);
    EXPECT_EQ(raw.size(), Transport::kAnswerBufferSize - 1);
    EXPECT_EQ(Ask("AT+CSQ\r\n"), "+CSQ: 17,99");
}

TEST_F(SimFaultTest, ConsoleTalksUntilPausedAndAgainAfterGo) {
    DeviceOptions options = BaseOptions();
    options.console = true;
    Start(options);
    EXPECT_NE(Listen(400).find("\r\n["), std::string::npos);
    transport_.WriteRaw("AT&usbinterface=55,pause\r\n", 26);
    ASSERT_TRUE(device_->WaitForCommand("AT&usbinterface=55,pause", 5000));
    EXPECT_TRUE(device_->ConsolePaused());
    transport_.FlushPort();
    EXPECT_EQ(Listen(400), "");
    transport_.WriteRaw("AT&usbinterface=55,go\r\n", 23);
    ASSERT_TRUE(device_->WaitForCommand("AT&usbinterface=55,go", 5000));
    EXPECT_FALSE(device_->ConsolePaused());
    EXPECT_NE(Listen(400).find("\r\n["), std::string::npos);
}

TEST_F(SimFaultTest, ChatterForeverKeepsTalkingWhilePaused) {
    StartWith("chatter-forever");
    transport_.WriteRaw("AT&usbinterface=55,pause\r\n", 26);
    ASSERT_TRUE(device_->WaitForCommand("AT&usbinterface=55,pause", 5000));
    EXPECT_TRUE(device_->ConsolePaused());
    EXPECT_NE(Listen(300).find("\r\n["), std::string::npos);
    // The flush gives up on a line that never falls silent, and commands still go through.
    EXPECT_TRUE(transport_.FlushPort());
    EXPECT_NE(transport_.SendCommand("AT\r\n"), 0);
}

TEST_F(SimFaultTest, ChatterBlocksDisappearInParsingAndStayOutOfStartupWindows) {
    DeviceOptions options = BaseOptions();
    options.chatter = true;
    options.autostart = true;
    Start(options);
    std::string raw;
    EXPECT_EQ(testing::Exchange(transport_, "AT+CSQ\r\n", nullptr, 8000, &raw), "+CSQ: 17,99");
    EXPECT_NE(raw.find("<pyPrint>"), std::string::npos);
    EXPECT_NE(raw.find("<usb>"), std::string::npos);

    // Start-up's auto-start query: written straight, read once after a second, 255 bytes.
    const std::string autostart =
        Inline(Request("<query_setting><python><state/></python></query_setting>"));
    ASSERT_EQ(autostart.size(), 120u);
    transport_.FlushPort();
    transport_.WriteRaw(autostart.data(), autostart.size());
    TheClock().SleepMs(1000);
    char window[256] = {};
    transport_.ReadRaw(window, 255);
    EXPECT_NE(std::string(window).find("<python><state>on"), std::string::npos) << window;

    const std::string product =
        Inline(Request("<query_state><device_info><product/></device_info></query_state>"));
    transport_.FlushPort();
    transport_.WriteRaw(product.data(), product.size());
    TheClock().SleepMs(2000);
    char productWindow[501] = {};
    transport_.ReadRaw(productWindow, 500);
    EXPECT_NE(std::string(productWindow).find("Brivel"), std::string::npos);
}

TEST_F(SimFaultTest, NoEchoGivesTheSameParsedAnswers) {
    DeviceOptions options = BaseOptions();
    options.echo = false;
    Start(options);
    EXPECT_EQ(Ask("AT+CSQ\r\n"), "+CSQ: 17,99");
    bool ok = false;
    EXPECT_TRUE(ParseAnswerDocument(Ask(kQueryAllSettings, &ok)));
    EXPECT_TRUE(ok);
}

}  // namespace
}  // namespace merivane::sim
