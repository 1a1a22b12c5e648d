#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace merivane {

// Cuts the useful text out of a raw device answer: removes <pyPrint> and
// <usb> blocks, judges and cuts the status ending, removes the echo of
// `command`, trims " \r\n" from both ends and cuts the text to outSize - 1
// bytes. The raw answer ends at its first NUL. Returns the verdict
// (true = success). Runs in time linear in the answer's length.
bool ParseAnswer(std::string_view command, std::string_view raw, size_t outSize,
                 std::string& parsed);

}  // namespace merivane
