#include "link/PortErrorText.h"

namespace merivane {
namespace {

const char* Summary(PortError error) {
    switch (error) {
        case PortError::None:
            return "no error";
        case PortError::NotFound:
            return "no such device";
        case PortError::PermissionDenied:
            return "you may not open it";
        case PortError::Busy:
            return "held by another program";
        case PortError::NotATerminal:
            return "not a serial device";
        case PortError::ConfigFailed:
            return "the line settings could not be applied";
        case PortError::Other:
            break;
    }
    return "could not be opened";
}

}  // namespace

std::string DescribePortError(PortError error, int sysErrno) {
    std::string text = Summary(error);
    if (error == PortError::None) return text;
    if (const std::string reason = PortSystemReason(error, sysErrno); !reason.empty())
        text += " (" + reason + ")";
    if (const std::string advice = PortErrorAdvice(error); !advice.empty()) text += ". " + advice;
    return text;
}

}  // namespace merivane
