#include "settings/ServerScheme.h"

namespace merivane {

std::string StripServerScheme(const std::string& stored) {
    const std::string scheme = kServerScheme;
    if (stored.starts_with(scheme)) return stored.substr(scheme.size());
    return stored;
}

std::string AddServerScheme(const std::string& shown) {
    if (shown.empty() || shown.find("://") != std::string::npos) return shown;
    return kServerScheme + shown;
}

}  // namespace merivane
