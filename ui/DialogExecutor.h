#pragma once

#include <QPointer>
#include <QWidget>

#include "app/BatchExecutor.h"

namespace merivane {

class Transport;

// Runs batches in a "Communicating with device..." dialog and uploads in an
// "Uploading to device..." dialog, each modal over `owner` (none before the
// sheet exists). Returns when the dialog has closed.
class DialogExecutor : public BatchExecutor {
  public:
    explicit DialogExecutor(Transport& transport, QWidget* owner = nullptr);

    void RunBatch(CommandList& list) override;
    void RunUpload(const UploadSource& source) override;

    void SetOwner(QWidget* owner) { owner_ = owner; }

  private:
    Transport& transport_;
    QPointer<QWidget> owner_;
};

}  // namespace merivane
