// Device answers and backup files as the three loaders take them, and the
// serialiser over whatever they loaded.
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/DocumentSerializer.h"
#include "settings/DocumentStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string answer(reinterpret_cast<const char*>(data), size);
    merivane::DocumentStore store;
    store.LoadSettingsDocument(answer);
    store.LoadStateDocument(answer);
    store.LoadZelboDocument(answer);
    const std::string sent = merivane::SerializeForSending(store.SettingsDocument());
    // What is sent must load again as a settings document.
    if (!sent.empty()) {
        merivane::DocumentStore again;
        again.LoadSettingsDocument(sent);
        if (again.SettingsDocument() == nullptr) __builtin_trap();
    }
    merivane::SerializeForSending(store.ZelboDocument());
    return 0;
}
