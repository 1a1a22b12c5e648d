#pragma once

#include <string>

namespace merivane {

// What identification learns about the modem, for the device information page.
struct DeviceIdentity {
    std::string modemMaker;    // "Modem Type"
    std::string status;        // "Status", set by start-up
    std::string serialNumber;  // IMEI
    std::string imsi;
    std::string modemRevision;
    std::string phoneNumber;
    int signalQuality = 0;  // from AT+CSQ
    int registration = 0;   // from AT+CREG?
};

}  // namespace merivane
