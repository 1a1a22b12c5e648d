#pragma once

#include <string>
#include <vector>

#include "link/PortSource.h"

namespace merivane {

// The modem device class in the Windows registry, below HKEY_LOCAL_MACHINE.
inline constexpr char kModemClassKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";

// Finds modem ports through the modem device class: each subkey is one modem
// that its driver installed, naming its maker ("ProviderName") and the COM
// port it is attached to ("AttachedTo"). A subkey without either (such as the
// class's own property subkey) is skipped; a failure to enumerate the
// subkeys ends the search with nothing. Windows only.
class RegistryPortSource : public PortSource {
  public:
    // `classKey` below HKEY_LOCAL_MACHINE; tests give a key of their own.
    explicit RegistryPortSource(std::string classKey = kModemClassKey);
    bool ListModemPorts(std::vector<PortEntry>& entries) override;

  private:
    std::string classKey_;
};

}  // namespace merivane
