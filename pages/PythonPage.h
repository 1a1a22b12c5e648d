#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ops/PythonFileList.h"
#include "ui/PropertyPage.h"

namespace Ui {
class PythonPage;
}

namespace merivane {

// The "Python" tab: the Python files on the device (list, delete, upload,
// download) and the Python auto-start setting. The list is fetched when the
// page first shows and on Refresh; Delete and Upload show the list that comes
// back with them. Each entry keeps the device's full file name and size, so
// the handlers never read them back from the shown text.
class PythonPage : public PropertyPage {
    Q_OBJECT
  public:
    explicit PythonPage(QWidget* parent = nullptr);
    ~PythonPage() override;

    void OnInitDialog() override;
    bool OnApply() override;

    // The listed files, in list order, and those whose check box is set.
    const std::vector<PythonFileEntry>& Files() const { return files_; }
    std::vector<PythonFileEntry> CheckedFiles() const;

    // Members shown by the controls.
    std::string uploadPath;
    int autostartEnabled = 0;
    std::string autostartCommandLine;

  public slots:
    void Refresh();
    void DeleteCheckedFiles();
    void BrowseForUpload();
    void UploadFile();
    void DownloadCheckedFiles();

  protected:
    void DoDataExchange(DataExchange& exchange) override;

  private:
    // Asks whether to go on when the device would start a program it does not have; true
    // to go on.
    bool ConfirmAutostartWarning(const std::string& warning, const char* question);
    // Reads the auto-start settings and fetches the list (first show and Refresh).
    void LoadFromDevice();
    // Replaces every entry of the list with the listed files.
    void ShowFiles(const PythonFileListing& listing);
    void ClearFiles();

    std::unique_ptr<Ui::PythonPage> ui_;
    std::vector<PythonFileEntry> files_;
    bool listed_ = false;  // files_ is the device's answer (not a list that did not come)
};

}  // namespace merivane
