#include "link/PortHolder.h"

namespace merivane {

// Windows does not tell an ordinary user which program holds a COM port, and
// there is no ModemManager: the lists stay empty and the advice is general.
std::vector<PortHolder> FindPortHolders(const std::string&, const std::string&) { return {}; }

std::vector<PortHolder> FindProcessesNamed(const std::string&, const std::string&) { return {}; }

std::string BusyPortAdvice(const std::string& port, const std::vector<PortHolder>&, bool) {
    return "Another program has " + port +
           " open (a terminal program, a modem or synchronisation tool): close it and try again.";
}

}  // namespace merivane
