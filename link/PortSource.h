#pragma once

#include <memory>
#include <string>
#include <vector>

namespace merivane {

// One modem-class serial port as the system describes it: the names under
// which its maker may appear, and the device node to open.
struct PortEntry {
    std::vector<std::string> providers;
    std::string port;
};

// Where port discovery finds modem ports.
class PortSource {
  public:
    virtual ~PortSource() = default;
    // Fills `entries` in discovery order. False when the system's list of
    // modem devices cannot be read at all.
    virtual bool ListModemPorts(std::vector<PortEntry>& entries) = 0;
};

// The system's own list of modem ports: the device manager (udev) on Linux,
// the modem device-class registry on Windows.
std::unique_ptr<PortSource> MakeSystemPortSource();

// A source that tests fill by hand.
class FixedPortSource : public PortSource {
  public:
    FixedPortSource() = default;
    explicit FixedPortSource(std::vector<PortEntry> entries) : entries_(std::move(entries)) {}
    bool ListModemPorts(std::vector<PortEntry>& entries) override {
        if (!available_) return false;
        entries = entries_;
        return true;
    }
    void SetEntries(std::vector<PortEntry> entries) { entries_ = std::move(entries); }
    void SetAvailable(bool available) { available_ = available; }

  private:
    std::vector<PortEntry> entries_;
    bool available_ = true;
};

}  // namespace merivane
