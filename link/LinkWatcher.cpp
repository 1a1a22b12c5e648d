#include "link/LinkWatcher.h"

namespace merivane {

std::string WaitingForDeviceText(int secondsLeft) {
    return "The device has gone away (unplugged or restarting). Waiting for it to come back\u2026 "
           "(" +
           std::to_string(secondsLeft) + " s left)";
}

}  // namespace merivane
