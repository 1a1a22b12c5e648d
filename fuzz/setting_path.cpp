// Setting paths (first line) resolved in a document (the rest), read and written.
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/Bindings.h"
#include "settings/DocumentStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\n');
    const std::string path = input.substr(0, split);
    const std::string document =
        split == std::string::npos
            ? "<r><query_setting><g a='1'><e>x</e></g><g a='2'><e/></g></query_setting></r>"
            : input.substr(split + 1);
    merivane::DocumentStore store;
    store.LoadSettingsDocument(document);
    std::string text = "value & <text>";
    int number = static_cast<int>(size);
    const merivane::BindingTable table = {merivane::BindText(path, &text, "a"),
                                          merivane::BindInt(path, &number, "b"),
                                          merivane::BindOnOff(path, &number, "c")};
    merivane::ReadBindings(nullptr, table, store.SettingsNode());
    merivane::WriteBindings(table, store.SettingsNode());
    merivane::ReadBindings(nullptr, table, store.SettingsNode());
    return 0;
}
