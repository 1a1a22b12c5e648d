#include "cli/CliExecutor.h"

#include <atomic>

#include "cli/TerminalProgress.h"
#include "link/BatchRunner.h"
#include "link/UploadEngine.h"

namespace merivane::cli {
namespace {

// Steps the bar and shows each command's step text, as the runner dialog does.
class StepDisplay : public BatchObserver {
  public:
    explicit StepDisplay(TerminalProgress* progress) : progress_(progress) {}
    void ShowStep(size_t, const std::string& message) override {
        if (progress_ == nullptr) return;
        progress_->Step();
        progress_->ShowStep(message);
    }

  private:
    TerminalProgress* progress_;
};

}  // namespace

void CliExecutor::RunBatch(CommandList& list) {
    PrepareBatchProgress(list, progress_);
    StepDisplay display(progress_);
    RunCommands(transport_, list, progress_, &display);
    if (progress_ != nullptr) progress_->Finish();
}

void CliExecutor::RunUpload(const UploadSource& source) {
    if (progress_ != nullptr) progress_->ShowStep("Sending " + LocalFileName(source.localPath));
    std::atomic<int> finished{0};
    UploadFile(transport_, source, progress_, finished);
    if (progress_ != nullptr) progress_->Finish();
}

}  // namespace merivane::cli
