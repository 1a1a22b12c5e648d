#include <grp.h>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "ops/HostFacts.h"

namespace merivane::host {

std::string OperatingSystemName() {
    std::ifstream release("/etc/os-release");
    std::string line;
    while (std::getline(release, line)) {
        if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
        std::string name = line.substr(12);
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        return name;
    }
    return "unknown";
}

std::string KernelText() {
    utsname names{};
    if (uname(&names) != 0) return "unknown";
    return std::string(names.sysname) + " " + names.release + " " + names.version + " " +
           names.machine;
}

namespace {

bool ModemManagerRuns() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        std::ifstream comm(entry.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name == "ModemManager") return true;
    }
    return false;
}

}  // namespace

std::string ModemManagerText() { return ModemManagerRuns() ? "running" : "not running"; }

std::string UserAndGroupsText() {
    const passwd* user = getpwuid(getuid());
    std::string text = (user != nullptr ? user->pw_name : "?") + std::string(" (uid ") +
                       std::to_string(getuid()) + "), groups:";
    const int count = getgroups(0, nullptr);
    std::vector<gid_t> groups(count > 0 ? static_cast<size_t>(count) : 0);
    if (count <= 0 || getgroups(count, groups.data()) != count) groups.clear();
    if (std::find(groups.begin(), groups.end(), getgid()) == groups.end())
        groups.insert(groups.begin(), getgid());
    {
        for (gid_t id : groups) {
            const group* entry = getgrgid(id);
            text += " " + (entry != nullptr ? std::string(entry->gr_name) : std::to_string(id));
        }
    }
    return text;
}

}  // namespace merivane::host
