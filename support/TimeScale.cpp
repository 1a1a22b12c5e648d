#include "support/TimeScale.h"

#include <cstdlib>

#include "support/Clock.h"

namespace merivane {

bool InstallTimeScaleFromEnvironment(std::string& error) {
    const char* text = std::getenv(kTimeScaleVariable);
    if (text == nullptr || *text == '\0') return true;
    char* end = nullptr;
    const double factor = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(factor > 0) || factor > 1e6) {
        error = std::string(kTimeScaleVariable) + " must be a number greater than 0";
        return false;
    }
    static ScaledClock clock(factor);
    InstallClock(&clock);
    return true;
}

}  // namespace merivane
