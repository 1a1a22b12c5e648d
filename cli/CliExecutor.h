#pragma once

#include "app/BatchExecutor.h"

namespace merivane::cli {

class TerminalProgress;

// Runs batches and uploads as the dialogs do, with the bar and the step texts on the
// terminal when there is one (`progress` may be null: nothing is shown).
class CliExecutor : public BatchExecutor {
  public:
    CliExecutor(Transport& transport, TerminalProgress* progress)
        : transport_(transport), progress_(progress) {}
    void RunBatch(CommandList& list) override;
    void RunUpload(const UploadSource& source) override;

  private:
    Transport& transport_;
    TerminalProgress* progress_;
};

}  // namespace merivane::cli
