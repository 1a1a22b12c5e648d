#include "cli/PortDiscovery.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace merivane::cli {

bool ParsePortList(const std::string& text, std::vector<PortEntry>& entries, std::string& error) {
    entries.clear();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        const std::string entry = text.substr(start, end - start);
        start = end + 1;
        if (entry.empty()) continue;
        const size_t equals = entry.find('=');
        if (equals == std::string::npos || equals + 1 >= entry.size()) {
            error = std::string(kPortsVariable) + ": \"" + entry + "\" is not PROVIDER=PATH";
            return false;
        }
        entries.push_back({{entry.substr(0, equals)}, entry.substr(equals + 1)});
    }
    return true;
}

std::unique_ptr<PortSource> MakePortSource(std::string& error) {
    const char* listed = std::getenv(kPortsVariable);
    if (listed == nullptr) return MakeSystemPortSource();
    std::vector<PortEntry> entries;
    if (!ParsePortList(listed, entries, error)) return nullptr;
    return std::make_unique<FixedPortSource>(std::move(entries));
}

Discovery DiscoverPorts(Transport& transport) {
    Discovery found;
    // Several candidates are not chosen from: the caller lists them or runs on each.
    const auto keep = [&](const std::vector<std::string>& candidates) {
        found.candidates = candidates;
        return std::string();
    };
    found.opened = transport.FindAndOpenPort(keep);
    if (found.opened) found.candidates = {transport.PortName()};
    found.problems = transport.LastProblems();
    return found;
}

std::string PortTag(const std::string& port) {
    std::string tag = port;
    if (tag.rfind("/dev/", 0) == 0) tag.erase(0, 5);
    while (!tag.empty() && tag.front() == '/') tag.erase(0, 1);
    for (char& c : tag) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        if (!plain) c = '_';
    }
    return tag.empty() ? "port" : tag;
}

std::vector<std::string> UniquePortTags(const std::vector<std::string>& ports) {
    std::vector<std::string> tags;
    for (const std::string& port : ports) {
        const std::string plain = PortTag(port);
        std::string tag = plain;
        for (int n = 2; std::find(tags.begin(), tags.end(), tag) != tags.end(); ++n)
            tag = plain + "-" + std::to_string(n);
        tags.push_back(tag);
    }
    return tags;
}

std::string TaggedPath(const std::string& path, const std::string& tag) {
    const std::filesystem::path original(path);
    std::filesystem::path stem = original.stem();
    std::string extension = original.extension().string();
    // A compressed archive's ".tar" belongs to its extension: report.tar-ttyACM0.gz
    // would not open as what it is.
    if (stem.extension() == ".tar") {
        extension = ".tar" + extension;
        stem = stem.stem();
    }
    return (original.parent_path() / (stem.string() + "-" + tag + extension)).string();
}

}  // namespace merivane::cli
