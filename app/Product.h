#pragma once

#include <string>

namespace merivane {

// The two products the tool knows.
inline constexpr char kKorvane[] = "Korvane";
inline constexpr char kBrivel[] = "Brivel";

// The product the device reported at start-up: "Korvane" or "Brivel".
extern std::string g_product;
// The device model from the state document, set when the device information
// page first shows; the serial port page refuses to work for the tracker.
extern std::string g_deviceModel;

inline bool IsKorvane(const std::string& product) { return product == kKorvane; }

}  // namespace merivane
