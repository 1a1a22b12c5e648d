// Raw device answers: the first line of the input is the command that was
// sent, the rest the answer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/ResponseParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\n');
    const std::string_view command =
        split == std::string_view::npos ? input : input.substr(0, split + 1);
    const std::string_view raw =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
    std::string parsed;
    merivane::ParseAnswer(command, raw, size % 4096, parsed);
    if (parsed.size() >= (size % 4096 == 0 ? 1 : size % 4096)) __builtin_trap();
    return 0;
}
