#pragma once

#include <string>

#include "ops/FirmwareImageFile.h"

namespace merivane {

class BatchExecutor;
class DocumentStore;
class Prompts;

// Updates the mesh radio module's firmware from a local "*.ebl" image: the file checks
// and a check that its name can travel, the upload to "/WEB/mesh/" under its file name,
// verification by digest (a mismatch offers Retry, which removes the device copy first,
// or Cancel), then the radio update, the state query and the radio settings query in one
// batch; the state and radio settings documents are loaded from the answers that did not
// fail. No message reports the end; the page shows the values again.
FirmwareOutcome UpdateRadioFirmware(const std::string& imagePath, DocumentStore& documents,
                                    BatchExecutor& executor, Prompts& prompts);

}  // namespace merivane
