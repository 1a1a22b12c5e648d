#pragma once

#include <string>
#include <string_view>

namespace merivane::sim {

// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks): how the
// device carries file contents inside get_file answers.
std::string Base64Encode(std::string_view bytes);

}  // namespace merivane::sim
