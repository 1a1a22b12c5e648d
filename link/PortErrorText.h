#pragma once

#include <string>

#include "link/SerialPort.h"

namespace merivane {

// The platform's part of an open failure's text (one implementation per
// platform, beside the serial port's): the system's own words for the error
// number, empty when they add nothing, and what the user can do about it.
std::string PortSystemReason(PortError error, int sysErrno);
std::string PortErrorAdvice(PortError error);

}  // namespace merivane
