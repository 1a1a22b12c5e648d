#pragma once

#include <string>

#include "settings/SettingBinding.h"

namespace merivane {

class DocumentStore;

// What the device information page shows of the state document.
struct DeviceStatus {
    std::string iccid;             // "mobile_stats/iccid"
    std::string threeStepQuality;  // "mobile_stats/quality&max=3"
    std::string fourStepQuality;   // "mobile_stats/quality&max=4" (read, never shown)
    std::string fiveStepQuality;   // "mobile_stats/quality&max=5"
    std::string ipAddress;         // "ppp_stats/ip_address"
    std::string model;             // "device_info/model"
    std::string firmware;          // "device_info/firmware"
};

// The state bindings into the given members (no controls to show).
BindingTable DeviceStatusBindings(DeviceStatus& status);
// Reads them from the state document; members whose path is missing stay empty.
DeviceStatus ReadDeviceStatus(const DocumentStore& documents);

// The signal meter: how many bars are shown and how many of them are lit.
struct SignalMeter {
    int scale = 0;  // 0: no bars shown (the state names no scale the meter knows)
    int lit = 0;
};

// The tracker's bar count for the modem's received signal strength: 3-5 one bar, 6-10 two,
// 11-13 three, 14-17 four, 18-30 five, anything else (99 = not known) none.
int BarsForSignalQuality(int quality);

// The meter for a device: a model naming the tracker measures the modem's signal quality
// on five bars; otherwise the state's three-step quality wins over its five-step quality.
// A count outside the scale lights nothing.
SignalMeter SignalMeterFor(const DeviceStatus& status, int signalQuality);

// The link indicator is lit unless the mobile address begins with "0.0.0.0".
bool LinkIndicatorLit(const std::string& ipAddress);

}  // namespace merivane
