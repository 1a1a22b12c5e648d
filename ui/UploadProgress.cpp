#include "ui/UploadProgress.h"

#include "link/Transport.h"
#include "ui/QtText.h"
#include "ui/ThreadSafeProgress.h"
#include "ui_UploadProgress.h"

namespace merivane {

UploadProgress::UploadProgress(Transport& transport, QWidget* parent)
    : WorkerDialog(transport, parent), ui_(std::make_unique<Ui::UploadProgress>()) {
    ui_->setupUi(this);
    progress_ = new ThreadSafeProgress(ui_->progressBar, this);
}

UploadProgress::~UploadProgress() = default;

void UploadProgress::SetUploadSource(const std::string& localPath, bool firmware, bool mesh) {
    SetUploadSource(UploadSource{localPath, firmware, mesh});
}

void UploadProgress::SetUploadSource(const UploadSource& source) {
    source_ = source;
    ui_->pathEdit->setText(ToQt(source.localPath));
}

QString UploadProgress::ShownPath() const { return ui_->pathEdit->text(); }

void UploadProgress::PrepareRun() {
    finished_.store(0);
    progress_->SetPosition(0);
    progress_->SetStepSize(10);
    progress_->Refresh();
}

void UploadProgress::Work() { UploadFile(Link(), source_, progress_, finished_); }

void UploadProgress::WorkFinished() { progress_->Refresh(); }

void UploadProgress::showEvent(QShowEvent* event) {
    WorkerDialog::showEvent(event);
    raise();
    activateWindow();
}

}  // namespace merivane
