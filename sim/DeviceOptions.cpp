#include "sim/DeviceOptions.h"

namespace merivane::sim {

const char* ProductName(Product product) {
    return product == Product::Korvane ? "Korvane" : "Brivel";
}

}  // namespace merivane::sim
