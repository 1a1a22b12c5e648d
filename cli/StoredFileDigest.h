#pragma once

#include <optional>
#include <string>

namespace merivane {
class BatchExecutor;
}

namespace merivane::cli {

// The device's MD5 digest of a stored file ("/WEB/python/main.py"), or nothing when the
// device does not have the file (it answers the query with an error), gave no digest, or
// the path cannot travel in the query. Changes nothing on the device.
std::optional<std::string> StoredFileDigest(BatchExecutor& executor, const std::string& devicePath);

}  // namespace merivane::cli
