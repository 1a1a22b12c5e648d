#include "cli/StoredFileDigest.h"

#include "app/BatchExecutor.h"
#include "ops/DigestAnswer.h"
#include "settings/RciRequests.h"

namespace merivane::cli {
namespace {

constexpr char kComparingMessage[] = "Comparing with the device's copy...";
// As long as the digest query after an upload may take.
constexpr int32_t kDigestTimeoutMs = 30000;

}  // namespace

std::optional<std::string> StoredFileDigest(BatchExecutor& executor,
                                            const std::string& devicePath) {
    std::string command;
    if (!rci::DigestCommand(devicePath, &command, nullptr)) return std::nullopt;
    CommandList batch = {{command, kComparingMessage, kDigestTimeoutMs}};
    executor.RunBatch(batch);
    if (batch.front().failed != 0) return std::nullopt;
    std::string digest = DigestFromAnswer(batch.front().result);
    if (digest.empty()) return std::nullopt;
    return digest;
}

}  // namespace merivane::cli
