#include <windows.h>

#include <vector>

#include "support/ProgramVersion.h"

namespace merivane {

std::string ProgramProductVersion() {
    char program[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(program, &ignored);
    if (size == 0) return {};
    std::vector<char> info(size);
    if (!::GetFileVersionInfoA(program, 0, size, info.data())) return {};
    char* value = nullptr;
    UINT valueLength = 0;
    if (!::VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\ProductVersion",
                          reinterpret_cast<void**>(&value), &valueLength) ||
        value == nullptr || valueLength == 0)
        return {};
    // The length counts the terminating NUL.
    return std::string(value, strnlen(value, valueLength));
}

}  // namespace merivane
