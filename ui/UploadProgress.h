#pragma once

#include <QString>
#include <atomic>
#include <memory>
#include <string>

#include "link/UploadEngine.h"
#include "ui/WorkerDialog.h"

namespace Ui {
class UploadProgress;
}

namespace merivane {

class ThreadSafeProgress;
class Transport;

// "Uploading to device...": uploads one local file on a worker thread while it
// shows the path and one bar step per stage and chunk. It reports nothing;
// the caller verifies the stored file by its digest afterwards. Its Cancel
// works only while the device is gone: a device that was told the size waits
// for every byte and would take the next commands as file content.
class UploadProgress : public WorkerDialog {
    Q_OBJECT
  public:
    explicit UploadProgress(Transport& transport, QWidget* parent = nullptr);
    ~UploadProgress() override;

    void SetUploadSource(const std::string& localPath, bool firmware, bool mesh);
    void SetUploadSource(const UploadSource& source);
    const UploadSource& Source() const { return source_; }

    QString ShownPath() const;
    bool Finished() const { return finished_.load() != 0; }
    ThreadSafeProgress& Progress() { return *progress_; }

  protected:
    void PrepareRun() override;
    void Work() override;
    void WorkFinished() override;
    void showEvent(QShowEvent* event) override;

  private:
    std::unique_ptr<Ui::UploadProgress> ui_;
    ThreadSafeProgress* progress_;
    UploadSource source_;
    std::atomic<int> finished_{0};
};

}  // namespace merivane
