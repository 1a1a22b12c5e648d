#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/Reply.h"

namespace merivane::sim {

// The identity a simulated cellular modem reports.
struct ModemIdentity {
    std::string maker = "Varik International";
    std::string model = "VRK-HL7648";
    std::string revision = "RHL76.03.14.02 2021-09-30 VRK";
    std::string imei = "352099001761481";
    std::string imsi = "310410123456789";
    std::string number = "+15551234567";
    bool sim = true;
    int signal = 17;
    int registration = 1;
};

// Answers of the cellular modem to plain AT commands (not the device's own
// AT&usbinterface set, and not the restart command, which the device handles).
class ModemAnswers {
  public:
    explicit ModemAnswers(ModemIdentity identity) : identity_(std::move(identity)) {}

    // The reply to `command` (the line without its line end), or nothing for a
    // command the modem does not know.
    std::optional<Reply> Answer(std::string_view command, std::string_view productLine) const;

    ModemIdentity& Identity() { return identity_; }
    const ModemIdentity& Identity() const { return identity_; }

  private:
    ModemIdentity identity_;
};

// `text` in upper case (ASCII).
std::string UpperAscii(std::string_view text);

}  // namespace merivane::sim
