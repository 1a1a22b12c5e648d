#pragma once

#include <memory>
#include <string>

#include "ui/PropertyPage.h"

namespace Ui {
class UtilsPage;
}

namespace merivane {

// The "Utilities" tab: saving the device's settings to a file, sending such a
// file back to the device, comparing the device with a file, saving a report for
// support, and rebooting the device (which ends the program).
// The factory-default group is part of the page but never shown; its button is
// wired to the operation all the same.
class UtilsPage : public PropertyPage {
    Q_OBJECT
  public:
    explicit UtilsPage(QWidget* parent = nullptr);
    ~UtilsPage() override;

    // The page has no bindings and changes no settings on apply.
    bool OnApply() override { return true; }

    // The member shown by the restore path's edit box.
    std::string restorePath;

  public slots:
    void OnBackup();
    void OnBrowse();
    void OnRestore();
    // Does not return: the process ends once the device has had the command.
    void OnReboot();
    void OnRestoreFactoryDefaults();
    // Compares the device's settings with a file the user picks and offers to send the
    // ticked differences or save them as a template.
    void OnCompare();
    void OnSaveReport();

  protected:
    void DoDataExchange(DataExchange& exchange) override;

  private:
    std::unique_ptr<Ui::UtilsPage> ui_;
};

}  // namespace merivane
