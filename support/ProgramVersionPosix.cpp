#include "support/ProgramVersion.h"

namespace merivane {

std::string ProgramProductVersion() { return MERIVANE_VERSION_TEXT; }

}  // namespace merivane
