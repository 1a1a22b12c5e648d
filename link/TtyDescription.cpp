#include "link/TtyDescription.h"

#include <algorithm>
#include <cstdlib>

namespace merivane {
namespace {

constexpr char kStableLinkDir[] = "/dev/serial/by-id/";
constexpr unsigned kCdcCommunicationsClass = 0x02;
constexpr unsigned kCdcAtCommandsProtocol = 0x01;

std::string Property(const TtyDescription& tty, const char* key) {
    auto it = tty.props.find(key);
    return it == tty.props.end() ? std::string() : it->second;
}

bool HasProperty(const TtyDescription& tty, const char* key) { return !Property(tty, key).empty(); }

std::string Trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

void AddName(std::vector<std::string>& names, const std::string& name) {
    const std::string clean = Trimmed(name);
    if (clean.empty()) return;
    if (std::find(names.begin(), names.end(), clean) != names.end()) return;
    names.push_back(clean);
}

// The value of the first of two property names that is set (newer device
// managers also publish the USB values under an ID_USB_ prefix).
std::string EitherProperty(const TtyDescription& tty, const char* key, const char* alternative) {
    std::string value = Property(tty, key);
    return value.empty() ? Property(tty, alternative) : value;
}

std::vector<std::string> ProviderNames(const TtyDescription& tty) {
    std::vector<std::string> names;
    AddName(names, Property(tty, "ID_VENDOR_FROM_DATABASE"));
    AddName(names, DecodeUdevText(EitherProperty(tty, "ID_VENDOR_ENC", "ID_USB_VENDOR_ENC")));
    // The plain vendor property has its blanks replaced by underscores.
    std::string vendor = EitherProperty(tty, "ID_VENDOR", "ID_USB_VENDOR");
    std::replace(vendor.begin(), vendor.end(), '_', ' ');
    AddName(names, vendor);
    AddName(names, tty.manufacturer);
    return names;
}

std::string PortPath(const TtyDescription& tty) {
    for (const std::string& link : tty.devlinks) {
        if (link.rfind(kStableLinkDir, 0) == 0 && link.size() > sizeof kStableLinkDir - 1) {
            return link;
        }
    }
    return tty.devnode;
}

bool IsModemCandidate(const TtyDescription& tty) {
    if (tty.devnode.empty()) return false;
    return !tty.usbDeviceSyspath.empty() || HasProperty(tty, "ID_BUS") ||
           HasProperty(tty, "ID_VENDOR") || HasProperty(tty, "ID_VENDOR_FROM_DATABASE");
}

long HexValue(const std::string& text) {
    const std::string clean = Trimmed(text);
    if (clean.empty()) return -1;
    char* end = nullptr;
    const long value = std::strtol(clean.c_str(), &end, 16);
    return (end && *end == '\0') ? value : -1;
}

// How surely the tty is its device's AT command interface: 0 when nothing
// says so; higher values win over lower ones within one device.
int AtInterfaceRank(const TtyDescription& tty) {
    if (Property(tty, "ID_MM_PORT_TYPE_AT_PRIMARY") == "1") return 3;
    if (Property(tty, "ID_MM_PORT_TYPE_AT_SECONDARY") == "1") return 2;
    if (HexValue(tty.interfaceClass) == kCdcCommunicationsClass &&
        HexValue(tty.interfaceProtocol) == kCdcAtCommandsProtocol) {
        return 1;
    }
    return 0;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string DecodeUdevText(const std::string& encoded) {
    std::string out;
    out.reserve(encoded.size());
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '\\' && i + 3 < encoded.size() && encoded[i + 1] == 'x') {
            const int high = HexDigit(encoded[i + 2]);
            const int low = HexDigit(encoded[i + 3]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 3;
                continue;
            }
        }
        out.push_back(encoded[i]);
    }
    return out;
}

std::vector<PortEntry> ModemPortEntries(const std::vector<TtyDescription>& ttys) {
    std::vector<const TtyDescription*> candidates;
    for (const TtyDescription& tty : ttys) {
        if (IsModemCandidate(tty)) candidates.push_back(&tty);
    }

    // The best AT hint among the ttys of each USB device.
    std::map<std::string, int> bestRank;
    for (const TtyDescription* tty : candidates) {
        if (tty->usbDeviceSyspath.empty()) continue;
        int& best = bestRank[tty->usbDeviceSyspath];
        best = std::max(best, AtInterfaceRank(*tty));
    }

    std::vector<PortEntry> entries;
    for (const TtyDescription* tty : candidates) {
        if (!tty->usbDeviceSyspath.empty()) {
            const int best = bestRank[tty->usbDeviceSyspath];
            if (best > 0 && AtInterfaceRank(*tty) != best) continue;
        }
        PortEntry entry;
        entry.port = PortPath(*tty);
        entry.providers = ProviderNames(*tty);
        const bool seen = std::any_of(entries.begin(), entries.end(),
                                      [&](const PortEntry& e) { return e.port == entry.port; });
        if (!seen) entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace merivane
