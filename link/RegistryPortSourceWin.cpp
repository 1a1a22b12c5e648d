#include <windows.h>

#include <algorithm>
#include <memory>

#include "link/RegistryPortSource.h"

namespace merivane {
namespace {

// The names and values are read into 100-byte buffers, as the modem class has
// always been read.
constexpr DWORD kNameBytes = 100;

class OpenKey {
  public:
    explicit OpenKey(const std::string& path) {
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~OpenKey() {
        if (key_) ::RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

// A string value of at most kNameBytes; false when it is missing or not a string.
bool ReadText(HKEY key, const char* name, std::string& text) {
    char buffer[kNameBytes + 1] = {};
    DWORD size = kNameBytes;
    DWORD type = 0;
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    text.assign(buffer, std::min<DWORD>(size, kNameBytes));
    text.resize(std::min(text.size(), text.find('\0')));
    return true;
}

}  // namespace

RegistryPortSource::RegistryPortSource(std::string classKey) : classKey_(std::move(classKey)) {}

bool RegistryPortSource::ListModemPorts(std::vector<PortEntry>& entries) {
    entries.clear();
    const OpenKey modems(classKey_);
    if (!modems.get()) return false;
    DWORD subkeys = 0;
    if (::RegQueryInfoKeyA(modems.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    for (DWORD index = 0; index < subkeys; ++index) {
        char name[kNameBytes] = {};
        DWORD length = kNameBytes;
        if (::RegEnumKeyExA(modems.get(), index, name, &length, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS) {
            entries.clear();
            return false;
        }
        const OpenKey modem(classKey_ + "\\" + name);
        std::string provider;
        std::string port;
        if (!modem.get() || !ReadText(modem.get(), "ProviderName", provider)) continue;
        if (!ReadText(modem.get(), "AttachedTo", port)) continue;
        entries.push_back({{provider}, port});
    }
    return true;
}

std::unique_ptr<PortSource> MakeSystemPortSource() {
    return std::make_unique<RegistryPortSource>();
}

}  // namespace merivane
