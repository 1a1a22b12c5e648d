#pragma once

#include <libxml/tree.h>

#include <string>
#include <vector>

#include "app/SettingsApply.h"
#include "settings/XmlDocPtr.h"

namespace merivane {

class BatchExecutor;
class DocumentStore;

// A request of the settings that `paths` name in `file` (a settings request read from a
// file), with their values there and the groups around them. Paths the file does not hold
// as one setting go to `missing`; null when none is left.
XmlDocPtr SelectSettings(xmlDoc* file, const std::vector<std::string>& paths,
                         std::vector<std::string>* missing = nullptr);

// Sends the settings that `paths` name in `file` in one set request of their own, waits
// for them to take effect and loads the settings the device reports. Nothing else is sent
// and the device is not restarted. NothingToSend when the file holds none of them.
ApplyOutcome SendSelectedSettings(xmlDoc* file, const std::vector<std::string>& paths,
                                  BatchExecutor& executor, DocumentStore& documents);

}  // namespace merivane
