#pragma once

#include "link/PortSource.h"

namespace merivane::cli {

class CommandReport;

// "ports": the candidate ports discovery finds, with the names their providers go by,
// and the ones it passed over with the reason. No device is talked to; a port found
// alone is opened (discovery's open test) and closed again.
void RunPorts(PortSource& source, CommandReport& report);

}  // namespace merivane::cli
