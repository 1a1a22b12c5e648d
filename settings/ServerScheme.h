#pragma once

#include <string>

namespace merivane {

// The device stores the device-initiated management server's address with the scheme "en://";
// the Remote Management page shows it without.

inline constexpr char kServerScheme[] = "en://";

// The address to show: what follows "en://" when the stored text begins with it, else the
// stored text as it is.
std::string StripServerScheme(const std::string& stored);

// The address to store: "en://" followed by the typed text, except that an empty text and a
// text that already names a scheme ("://", "en://" included) are stored as typed.
std::string AddServerScheme(const std::string& shown);

}  // namespace merivane
