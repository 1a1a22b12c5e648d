#include <windows.h>

// UNLEN, the longest user name; it needs windows.h first.
#include <lmcons.h>

#include <string>

#include "ops/HostFacts.h"

namespace merivane::host {
namespace {

// The real version: GetVersionEx reports 6.2 to every program without a
// compatibility manifest.
bool RealVersion(RTL_OSVERSIONINFOW& info) {
    using RtlGetVersionFunction = LONG(WINAPI*)(PRTL_OSVERSIONINFOW);
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr) return false;
    const auto getVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
    info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return getVersion != nullptr && getVersion(&info) == 0;
}

}  // namespace

std::string OperatingSystemName() {
    RTL_OSVERSIONINFOW info;
    if (!RealVersion(info)) return "Windows";
    // Windows 11 still reports itself as 10.0, told apart by its build number.
    const bool eleven = info.dwMajorVersion == 10 && info.dwBuildNumber >= 22000;
    return eleven ? "Windows 11"
                  : "Windows " + std::to_string(info.dwMajorVersion) + "." +
                        std::to_string(info.dwMinorVersion);
}

std::string KernelText() {
    RTL_OSVERSIONINFOW info;
    if (!RealVersion(info)) return "unknown";
    return "Windows NT " + std::to_string(info.dwMajorVersion) + "." +
           std::to_string(info.dwMinorVersion) + " build " + std::to_string(info.dwBuildNumber);
}

std::string ModemManagerText() { return "does not exist on Windows"; }

std::string UserAndGroupsText() {
    char name[UNLEN + 1];
    DWORD size = sizeof name;
    const std::string user = ::GetUserNameA(name, &size) ? std::string(name) : std::string("?");
    // Access to a COM port is not a matter of groups on Windows.
    return user + ", groups: not read on Windows";
}

}  // namespace merivane::host
