#include "sim/DeviceFileSystem.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace merivane::sim {
namespace fs = std::filesystem;

namespace {

std::string ParentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string LastComponent(const std::string& path) { return path.substr(path.rfind('/') + 1); }

bool WriteHostFile(const std::string& path, const std::string& data) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    const std::string temp = path + ".partial";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
        if (!out) return false;
    }
    fs::rename(temp, path, ec);
    return !ec;
}

}  // namespace

std::optional<std::string> DeviceFileSystem::Normalize(std::string_view path) {
    if (path.empty() || path.front() != '/') return std::nullopt;
    std::string out;
    size_t pos = 0;
    while (pos < path.size()) {
        const size_t next = path.find('/', pos);
        const std::string_view part =
            path.substr(pos, next == std::string_view::npos ? next : next - pos);
        pos = next == std::string_view::npos ? path.size() : next + 1;
        if (part.empty()) continue;
        if (part == "." || part == "..") return std::nullopt;
        if (part.find('\0') != std::string_view::npos) return std::nullopt;
        out += '/';
        out += part;
    }
    return out.empty() ? "/" : out;
}

bool DeviceFileSystem::SetBacking(const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) return false;
    backing_ = folder;
    LoadBacking(folder, "");
    // Folders and files made before the backing existed go there now.
    for (const std::string& path : folders_) fs::create_directories(HostPath(path), ec);
    for (const auto& [path, data] : files_) {
        if (!fs::exists(HostPath(path), ec)) WriteHostFile(HostPath(path), data);
    }
    return true;
}

void DeviceFileSystem::LoadBacking(const std::string& hostFolder, const std::string& devicePath) {
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(hostFolder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".partial")) continue;
        const std::string path = devicePath + "/" + name;
        if (entry.is_directory(ec)) {
            folders_.insert(path);
            LoadBacking(entry.path().string(), path);
        } else if (entry.is_regular_file(ec)) {
            std::ifstream in(entry.path(), std::ios::binary);
            files_[path] =
                std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
}

std::string DeviceFileSystem::HostPath(const std::string& devicePath) const {
    return devicePath == "/" ? backing_ : backing_ + devicePath;
}

bool DeviceFileSystem::MakeFolder(std::string_view path) {
    const std::optional<std::string> clean = Normalize(path);
    if (!clean || files_.count(*clean)) return false;
    for (std::string folder = *clean; folders_.insert(folder).second && folder != "/";
         folder = ParentOf(folder)) {
    }
    if (!backing_.empty()) {
        std::error_code ec;
        fs::create_directories(HostPath(*clean), ec);
    }
    return true;
}

bool DeviceFileSystem::Write(std::string_view path, std::string data) {
    const std::optional<std::string> clean = Normalize(path);
    if (!clean || *clean == "/" || folders_.count(*clean)) return false;
    if (!MakeFolder(ParentOf(*clean))) return false;
    if (!backing_.empty() && !WriteHostFile(HostPath(*clean), data)) return false;
    files_[*clean] = std::move(data);
    return true;
}

bool DeviceFileSystem::Remove(std::string_view path) {
    const std::optional<std::string> clean = Normalize(path);
    if (!clean) return false;
    const auto it = files_.find(*clean);
    if (it == files_.end()) return false;
    files_.erase(it);
    if (!backing_.empty()) {
        std::error_code ec;
        fs::remove(HostPath(*clean), ec);
    }
    return true;
}

std::optional<std::string> DeviceFileSystem::Read(std::string_view path) const {
    const std::optional<std::string> clean = Normalize(path);
    if (!clean) return std::nullopt;
    const auto it = files_.find(*clean);
    if (it == files_.end()) return std::nullopt;
    return it->second;
}

bool DeviceFileSystem::IsFolder(std::string_view path) const {
    const std::optional<std::string> clean = Normalize(path);
    return clean && folders_.count(*clean);
}

std::optional<std::vector<DeviceFileSystem::Entry>> DeviceFileSystem::List(
    std::string_view folder) const {
    const std::optional<std::string> clean = Normalize(folder);
    if (!clean || !folders_.count(*clean)) return std::nullopt;
    std::vector<Entry> entries;
    for (const auto& [path, data] : files_) {
        if (ParentOf(path) == *clean) entries.push_back({LastComponent(path), data.size(), false});
    }
    for (const std::string& path : folders_) {
        if (path != "/" && ParentOf(path) == *clean)
            entries.push_back({LastComponent(path), 0, true});
    }
    return entries;
}

}  // namespace merivane::sim
