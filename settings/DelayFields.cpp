#include "settings/DelayFields.h"

namespace merivane {

DelayFields SplitDelay(int seconds) {
    if (seconds < 0) return {0, 0, 1, 0};
    return {1, seconds / 3600, seconds % 3600 / 60, seconds % 60};
}

int JoinDelay(const DelayFields& fields) {
    if (fields.enabled == 0) return kDelayOff;
    return fields.hours * 3600 + fields.minutes * 60 + fields.seconds;
}

}  // namespace merivane
