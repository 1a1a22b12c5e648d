#pragma once

#include <string>

namespace merivane {

// The device's digest of a stored file out of the answer to the digest query: the
// answer with every carriage return and line feed removed.
std::string DigestFromAnswer(const std::string& answer);

// True when a local digest (taken successfully, `localTaken`) equals the device's,
// byte for byte and case-sensitively. A digest that could not be taken never matches.
bool DigestsMatch(bool localTaken, const std::string& localDigest, const std::string& deviceDigest);

}  // namespace merivane
