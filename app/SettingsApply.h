#pragma once

#include <libxml/tree.h>

namespace merivane {

class BatchExecutor;
class DocumentStore;

// How sending a document and reading it back went.
enum class ApplyOutcome {
    Applied,         // sent, and the device's new settings are loaded
    ReadBackFailed,  // sent, but the read-back gave no document: the sent one stays
    NothingToSend,   // no document is loaded; nothing was sent
};

// Sends the whole settings document as a set request, waits for the settings
// to take effect and loads what the device reports afterwards.
ApplyOutcome ApplySettings(BatchExecutor& executor, DocumentStore& documents);

// The same for `request`, a set request of some settings only (chosen from a file): sent
// instead of the whole document, with the same pause and read-back.
ApplyOutcome ApplySettingsRequest(BatchExecutor& executor, DocumentStore& documents,
                                  xmlDoc* request);

// The same for the mesh radio settings document, without the pause.
ApplyOutcome ApplyZelboSettings(BatchExecutor& executor, DocumentStore& documents);

}  // namespace merivane
