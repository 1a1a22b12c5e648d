#pragma once

namespace merivane {

class BatchExecutor;
class CKestrionApp;
class Prompts;

// What pages and the sheet work with: the application object (device link,
// documents, identity), the user prompts and the runner of device batches.
// All three are required: a page that could not show a message or run a batch
// would drop the user's request without a word.
struct PageContext {
    CKestrionApp& app;
    Prompts& prompts;
    BatchExecutor& executor;
};

}  // namespace merivane
