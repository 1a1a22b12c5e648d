#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace merivane::sim {

// The device's flash file system: folders and files addressed by absolute
// paths such as "/WEB/python/main.py". When it has a backing folder, every
// change is mirrored there at once, so the files outlive the process.
class DeviceFileSystem {
  public:
    struct Entry {
        std::string name;  // the last path component
        size_t size = 0;
        bool folder = false;
    };

    // Cleans a device path: absolute, "/" separated, no empty, "." or ".."
    // components (so a path can never reach outside a backing folder).
    // Nothing when the path is not acceptable.
    static std::optional<std::string> Normalize(std::string_view path);

    // Keeps the files below `folder` on the host from now on and loads what
    // is already there. False when the folder cannot be made.
    bool SetBacking(const std::string& folder);

    bool MakeFolder(std::string_view path);
    bool Write(std::string_view path, std::string data);  // makes missing folders
    bool Remove(std::string_view path);
    std::optional<std::string> Read(std::string_view path) const;
    bool IsFolder(std::string_view path) const;
    // The folder's files and folders, files first, each group in name order.
    std::optional<std::vector<Entry>> List(std::string_view folder) const;

  private:
    std::string HostPath(const std::string& devicePath) const;
    void LoadBacking(const std::string& hostFolder, const std::string& devicePath);

    std::set<std::string> folders_{"/"};
    std::map<std::string, std::string> files_;
    std::string backing_;
};

}  // namespace merivane::sim
