#include "ui/DialogExecutor.h"

#include "ui/USBDialog.h"
#include "ui/UploadProgress.h"

namespace merivane {

DialogExecutor::DialogExecutor(Transport& transport, QWidget* owner)
    : transport_(transport), owner_(owner) {}

void DialogExecutor::RunBatch(CommandList& list) {
    USBDialog dialog(transport_, owner_);
    dialog.commands.swap(list);
    dialog.exec();
    list.swap(dialog.commands);
}

void DialogExecutor::RunUpload(const UploadSource& source) {
    UploadProgress dialog(transport_, owner_);
    dialog.SetUploadSource(source);
    dialog.exec();
}

}  // namespace merivane
