#include "app/DeviceStatus.h"

#include "app/Product.h"
#include "settings/Bindings.h"
#include "settings/DocumentStore.h"
#include "support/TextRules.h"

namespace merivane {
namespace {

SignalMeter Meter(int scale, const std::string& count) {
    SignalMeter meter{scale, LeadingInteger(count)};
    if (meter.lit < 0 || meter.lit > scale) meter.lit = 0;
    return meter;
}

}  // namespace

BindingTable DeviceStatusBindings(DeviceStatus& status) {
    return {
        BindText("mobile_stats/iccid", &status.iccid, ""),
        BindText("mobile_stats/quality&max=3", &status.threeStepQuality, ""),
        BindText("mobile_stats/quality&max=4", &status.fourStepQuality, ""),
        BindText("mobile_stats/quality&max=5", &status.fiveStepQuality, ""),
        BindText("ppp_stats/ip_address", &status.ipAddress, ""),
        BindText("device_info/model", &status.model, ""),
        BindText("device_info/firmware", &status.firmware, ""),
    };
}

DeviceStatus ReadDeviceStatus(const DocumentStore& documents) {
    DeviceStatus status;
    ReadBindings(nullptr, DeviceStatusBindings(status), documents.StateNode());
    return status;
}

int BarsForSignalQuality(int quality) {
    if (quality >= 3 && quality <= 5) return 1;
    if (quality >= 6 && quality <= 10) return 2;
    if (quality >= 11 && quality <= 13) return 3;
    if (quality >= 14 && quality <= 17) return 4;
    if (quality >= 18 && quality <= 30) return 5;
    return 0;
}

SignalMeter SignalMeterFor(const DeviceStatus& status, int signalQuality) {
    if (status.model.find(kKorvane) != std::string::npos)
        return Meter(5, std::to_string(BarsForSignalQuality(signalQuality)));
    if (!status.threeStepQuality.empty()) return Meter(3, status.threeStepQuality);
    if (!status.fiveStepQuality.empty()) return Meter(5, status.fiveStepQuality);
    return {};
}

bool LinkIndicatorLit(const std::string& ipAddress) { return ipAddress.rfind("0.0.0.0", 0) != 0; }

}  // namespace merivane
