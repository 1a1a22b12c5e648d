#pragma once

#include <functional>
#include <vector>

#include "app/BatchExecutor.h"

namespace merivane::test {

// Runs batches and uploads through `Inner` (the headless runner or the
// desktop's dialogs) and keeps a copy of each after it ran. `afterBatch`
// (optional) is called with each batch once it has run.
template <typename Inner>
class RecordingExecutorOver : public BatchExecutor {
  public:
    explicit RecordingExecutorOver(Transport& transport) : inner_(transport) {}

    void RunBatch(CommandList& list) override {
        inner_.RunBatch(list);
        batches.push_back(list);
        if (afterBatch) afterBatch(list);
    }
    void RunUpload(const UploadSource& source) override {
        inner_.RunUpload(source);
        uploads.push_back(source);
    }

    std::vector<CommandList> batches;
    std::vector<UploadSource> uploads;
    std::function<void(const CommandList&)> afterBatch;

  private:
    Inner inner_;
};

// Thrown by the EndProcess handler that tests install, so that they observe
// the end of the process without dying.
struct ProcessEnded {
    int code;
};

}  // namespace merivane::test
