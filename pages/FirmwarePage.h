#pragma once

#include <memory>
#include <string>

#include "ui/PropertyPage.h"

namespace Ui {
class FirmwarePage;
}

namespace merivane {

// The "Firmware Update" tab: the device's product and firmware version, and
// the update of the device firmware from an image file. An update that
// reaches the device ends the program once its closing message is confirmed.
class FirmwarePage : public PropertyPage {
    Q_OBJECT
  public:
    explicit FirmwarePage(QWidget* parent = nullptr);
    ~FirmwarePage() override;

    void OnInitDialog() override;
    // The page changes no settings.
    bool OnApply() override { return true; }

    // Members shown by the controls.
    std::string imagePath;
    std::string firmwareVersion;
    std::string product;

  public slots:
    void Browse();
    // Uploads, verifies and installs the image. Does not return when the
    // update command was sent: the process ends.
    void Update();

  protected:
    void DoDataExchange(DataExchange& exchange) override;

  private:
    // Shows what the state document now says.
    void ShowDeviceState();

    std::unique_ptr<Ui::FirmwarePage> ui_;
};

}  // namespace merivane
