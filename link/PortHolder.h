#pragma once

#include <string>
#include <vector>

namespace merivane {

// The udev rule that the installed program brings along: it lets the user at
// the desktop open the maker's devices and keeps ModemManager away from them.
inline constexpr char kUdevRuleFileName[] = "60-merivane.rules";

// The short name of the system service that probes every new modem port.
inline constexpr char kModemManagerName[] = "ModemManager";

// A running program that has a port open.
struct PortHolder {
    int pid = 0;
    std::string name;  // the process's short name, as ps shows it
};

// The processes other than this one that have `port` (a device node or a link
// to one) open, found by looking through /proc/<pid>/fd. Best effort: the open
// files of other users' processes stay hidden from anyone but root.
std::vector<PortHolder> FindPortHolders(const std::string& port,
                                        const std::string& procRoot = "/proc");

// The running processes whose short name is `name`.
std::vector<PortHolder> FindProcessesNamed(const std::string& name,
                                           const std::string& procRoot = "/proc");

// What to tell the user about a port that another program has open: who holds
// it (when that could be found out) and what to do about it.
std::string BusyPortAdvice(const std::string& port, const std::vector<PortHolder>& holders,
                           bool modemManagerRunning);

}  // namespace merivane
