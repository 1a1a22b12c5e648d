#pragma once

#include "link/USBCommand.h"
#include "link/UploadEngine.h"

namespace merivane {

class ProgressSink;
class Transport;

// Runs batches and uploads: the desktop program runs them inside its modal
// progress dialogs, tests and the command line without a window.
class BatchExecutor {
  public:
    virtual ~BatchExecutor() = default;
    virtual void RunBatch(CommandList& list) = 0;
    virtual void RunUpload(const UploadSource& source) = 0;
};

// Runs on a worker thread and waits for it, reporting to an optional bar.
class HeadlessExecutor : public BatchExecutor {
  public:
    explicit HeadlessExecutor(Transport& transport, ProgressSink* bar = nullptr)
        : transport_(transport), bar_(bar) {}
    void RunBatch(CommandList& list) override;
    void RunUpload(const UploadSource& source) override;

  private:
    Transport& transport_;
    ProgressSink* bar_;
};

}  // namespace merivane
