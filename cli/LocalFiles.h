#pragma once

#include <string>

#include "cli/CliOptions.h"

namespace merivane::cli {

// Checks the local files a command names before any device is talked to: a file
// to send must be a readable regular file of a size the device can take, and a
// place to save to must be free or hold a regular file (never a device, FIFO or
// socket, which saving would replace). False with the reason in `error`.
bool CheckLocalFiles(const CliOptions& options, std::string& error);

}  // namespace merivane::cli
