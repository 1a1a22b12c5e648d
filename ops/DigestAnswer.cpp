#include "ops/DigestAnswer.h"

#include "support/TextRules.h"

namespace merivane {

std::string DigestFromAnswer(const std::string& answer) { return RemoveChars(answer, "\r\n"); }

bool DigestsMatch(bool localTaken, const std::string& localDigest,
                  const std::string& deviceDigest) {
    return localTaken && !localDigest.empty() && localDigest == deviceDigest;
}

}  // namespace merivane
