#include <libudev.h>
#include <sys/stat.h>

#include <filesystem>

#include "link/PortFacts.h"
#include "support/ResolvedPath.h"

namespace merivane {
namespace {

std::vector<std::string> UdevProperties(const std::string& device) {
    std::vector<std::string> properties;
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) return properties;
    udev* context = udev_new();
    if (context == nullptr) return properties;
    if (udev_device* found = udev_device_new_from_devnum(context, 'c', info.st_rdev)) {
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(found)) {
            const char* value = udev_list_entry_get_value(entry);
            properties.push_back(std::string(udev_list_entry_get_name(entry)) + "=" +
                                 (value != nullptr ? value : ""));
        }
        udev_device_unref(found);
    }
    udev_unref(context);
    return properties;
}

}  // namespace

PortFacts ReadPortFacts(const std::string& port) {
    PortFacts facts;
    facts.device = ResolvedPath(port);
    facts.propertySource = "udev";
    facts.properties = UdevProperties(facts.device);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/serial/by-id", ec)) {
        if (ResolvedPath(entry.path().string()) == facts.device)
            facts.byIdLinks.push_back(entry.path().string());
    }
    return facts;
}

}  // namespace merivane
