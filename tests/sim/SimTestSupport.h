#pragma once

// Shared pieces of the simulator tests: temporary paths, a device and the
// tool's transport connected to it, and one-line exchanges.

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "link/Transport.h"
#include "sim/SimulatedDevice.h"
#include "support/Clock.h"

namespace merivane::sim::testing {

// A fresh folder for one test, removed with it.
class TempFolder {
  public:
    TempFolder() {
        static std::atomic<int> serial{0};
        path_ = std::filesystem::temp_directory_path() /
                ("merivane-simtest-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::string WriteFile(const std::string& name, const std::string& data) const {
        const std::string path = *this / name;
        std::ofstream(path, std::ios::binary) << data;
        return path;
    }

  private:
    std::filesystem::path path_;
};

inline std::string Inline(const std::string& request) {
    return "at&usbinterface=20,\"" + request + "\"\r\n";
}

inline std::string Request(const std::string& command) {
    return "<rci_request version='1.1'>" + command + "</rci_request>";
}

// Sends one command through the transport and returns its parsed answer.
inline std::string Exchange(Transport& transport, const std::string& command,
                            bool* verdict = nullptr, uint32_t timeoutMs = 8000,
                            std::string* rawOut = nullptr) {
    std::string raw;
    std::string parsed;
    EXPECT_NE(transport.SendCommand(command), 0) << command;
    EXPECT_TRUE(transport.ReceiveResponse(command, raw, Transport::kAnswerBufferSize, timeoutMs,
                                          false, nullptr));
    const bool ok = transport.ParseResponse(command, raw, parsed, Transport::kAnswerBufferSize);
    if (verdict) *verdict = ok;
    if (rawOut) *rawOut = raw;
    return parsed;
}

// The two-part framing: command 22, then the bare document.
inline std::string TwoPart(Transport& transport, const std::string& document,
                           bool* verdict = nullptr) {
    bool lead = false;
    Exchange(transport, "at&usbinterface=22\r\n", &lead);
    EXPECT_TRUE(lead);
    return Exchange(transport, document, verdict);
}

struct XmlDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using Doc = std::unique_ptr<xmlDoc, XmlDocFree>;

// Parses an answer the way the tool does: from its first "<" to its last ">".
inline Doc ParseAnswerDocument(const std::string& answer) {
    const size_t first = answer.find('<');
    const size_t last = answer.rfind('>');
    if (first == std::string::npos || last == std::string::npos || last < first) return nullptr;
    const std::string text = answer.substr(first, last - first + 1);
    return Doc(xmlReadMemory(text.data(), static_cast<int>(text.size()), "answer.xml", nullptr,
                             XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

// A device with a quiet console and the tool's transport on its link, all on
// a clock twenty times faster than real time.
class SimDeviceFixture : public ::testing::Test {
  protected:
    SimDeviceFixture() : clock_(20), scoped_(clock_) {}

    DeviceOptions BaseOptions() {
        DeviceOptions options;
        options.linkPath = folder_ / "device";
        options.console = false;
        options.restartMs = 4000;
        return options;
    }

    void Start(DeviceOptions options) {
        device_ = std::make_unique<SimulatedDevice>(options);
        ASSERT_TRUE(device_->Start());
        ASSERT_TRUE(transport_.OpenNamedPort(device_->LinkPath()));
    }
    void Start() { Start(BaseOptions()); }

    std::string Ask(const std::string& command, bool* verdict = nullptr,
                    uint32_t timeoutMs = 8000) {
        return Exchange(transport_, command, verdict, timeoutMs);
    }

    ScaledClock clock_;
    ScopedClock scoped_;
    TempFolder folder_;
    std::unique_ptr<SimulatedDevice> device_;
    Transport transport_;
};

}  // namespace merivane::sim::testing
