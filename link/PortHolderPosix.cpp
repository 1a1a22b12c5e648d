#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>

#include "link/PortHolder.h"

namespace merivane {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

bool IsProcessId(const char* name) {
    if (*name == '\0') return false;
    for (const char* c = name; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
    }
    return true;
}

// Calls `visit` with the id and /proc folder of every running process.
void ForEachProcess(const std::string& procRoot,
                    const std::function<void(int, const std::string&)>& visit) {
    DirPtr dir(::opendir(procRoot.c_str()));
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!IsProcessId(entry->d_name)) continue;
        const long pid = std::strtol(entry->d_name, nullptr, 10);
        if (pid > 0 && pid <= INT_MAX) visit(static_cast<int>(pid), procRoot + "/" + entry->d_name);
    }
}

std::string ShortName(const std::string& processDir) {
    std::ifstream in(processDir + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

// The file a port path stands for: a device node is known by its device
// number (the same terminal may be reached through several names), anything
// else by its inode.
struct FileIdentity {
    bool device = false;
    dev_t rdev = 0;
    dev_t dev = 0;
    ino_t ino = 0;
};

bool Identify(const std::string& path, FileIdentity& id) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    id.device = S_ISCHR(st.st_mode);
    id.rdev = st.st_rdev;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    return true;
}

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
    if (a.device || b.device) return a.device && b.device && a.rdev == b.rdev;
    return a.dev == b.dev && a.ino == b.ino;
}

// True when one of the process's open descriptors refers to `port`. Only
// descriptors that name a file are looked at closely: sockets, pipes and the
// like are passed over by their link text alone.
bool HasOpen(const std::string& processDir, const FileIdentity& port) {
    const std::string fdDir = processDir + "/fd";
    DirPtr dir(::opendir(fdDir.c_str()));
    if (!dir) return false;  // gone, or another user's process
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!IsProcessId(entry->d_name)) continue;
        const std::string link = fdDir + "/" + entry->d_name;
        char target[4096];
        const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0 || target[0] != '/') continue;
        FileIdentity open;
        if (Identify(link, open) && SameFile(open, port)) return true;
    }
    return false;
}

std::string Listed(const std::vector<PortHolder>& holders) {
    std::string text;
    for (size_t i = 0; i < holders.size(); ++i) {
        if (i > 0) text += i + 1 == holders.size() ? " and " : ", ";
        text += (holders[i].name.empty() ? std::string("a program") : holders[i].name) + " (pid " +
                std::to_string(holders[i].pid) + ")";
    }
    return text;
}

std::string ModemManagerAdvice() {
    return std::string("install Merivane's udev rule ") + kUdevRuleFileName +
           ", which tells ModemManager to leave the maker's devices alone, then unplug the "
           "device and plug it in again.";
}

}  // namespace

std::vector<PortHolder> FindPortHolders(const std::string& port, const std::string& procRoot) {
    std::vector<PortHolder> holders;
    FileIdentity wanted;
    if (!Identify(port, wanted)) return holders;
    const int self = static_cast<int>(::getpid());
    ForEachProcess(procRoot, [&](int pid, const std::string& processDir) {
        if (pid != self && HasOpen(processDir, wanted))
            holders.push_back({pid, ShortName(processDir)});
    });
    return holders;
}

std::vector<PortHolder> FindProcessesNamed(const std::string& name, const std::string& procRoot) {
    std::vector<PortHolder> found;
    ForEachProcess(procRoot, [&](int pid, const std::string& processDir) {
        if (ShortName(processDir) == name) found.push_back({pid, name});
    });
    return found;
}

std::string BusyPortAdvice(const std::string& port, const std::vector<PortHolder>& holders,
                           bool modemManagerRunning) {
    if (holders.empty()) {
        std::string text = "Could not tell which program has it open (\"sudo fuser -v " + port +
                           "\" names it): close that program and try again.";
        if (modemManagerRunning) {
            text +=
                " ModemManager is running: it opens every new modem port for a few seconds "
                "after it is plugged in. If the port stays busy, " +
                ModemManagerAdvice();
        }
        return text;
    }
    const auto isModemManager = [](const PortHolder& h) { return h.name == kModemManagerName; };
    const bool heldByModemManager = std::any_of(holders.begin(), holders.end(), isModemManager);
    const auto others = std::count_if(holders.begin(), holders.end(),
                                      [&](const PortHolder& h) { return !isModemManager(h); });
    std::string text = "Held by " + Listed(holders) + ".";
    if (others == 1) text += " Close that program and try again.";
    if (others > 1) text += " Close those programs and try again.";
    if (heldByModemManager)
        text += " ModemManager probes every new modem port: " + ModemManagerAdvice();
    return text;
}

}  // namespace merivane
