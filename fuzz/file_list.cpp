// Answers to the Python folder listing.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ops/PythonFileList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    const merivane::PythonFileListing listing = merivane::ReadPythonFileList(answer);
    for (const merivane::PythonFileEntry& entry : listing.entries) {
        if (entry.size && *entry.size > merivane::kMaxDownloadBytes) __builtin_trap();
    }
    return 0;
}
