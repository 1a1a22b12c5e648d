#include "app/BatchExecutor.h"

#include <atomic>
#include <thread>

#include "link/BatchRunner.h"

namespace merivane {

void HeadlessExecutor::RunBatch(CommandList& list) { merivane::RunBatch(transport_, list, bar_); }

void HeadlessExecutor::RunUpload(const UploadSource& source) {
    std::atomic<int> finished{0};
    std::thread worker([&] { UploadFile(transport_, source, bar_, finished); });
    worker.join();
}

}  // namespace merivane
