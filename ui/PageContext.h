#pragma once

namespace merivane {

class BatchExecutor;
class CKestrionApp;
class Prompts;

// What pages and the sheet work with: the application object (device link,
// documents, identity), the user prompts and the runner of device batches.
// Any of them may be missing in tests; the pieces that need one then do nothing.
struct PageContext {
    CKestrionApp* app = nullptr;
    Prompts* prompts = nullptr;
    BatchExecutor* executor = nullptr;
};

}  // namespace merivane
