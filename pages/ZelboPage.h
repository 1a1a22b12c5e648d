#pragma once

#include <memory>
#include <string>

#include "ops/ZelboValidation.h"
#include "ui/PropertyPage.h"

class QLineEdit;

namespace Ui {
class ZelboPage;
}

namespace merivane {

// The "Zelbo" tab: the mesh radio module's identity from the state, its basic
// network settings from the mesh radio settings (checked before they are
// sent), and the update of its firmware from an "*.ebl" image.
class ZelboPage : public PropertyPage {
    Q_OBJECT
  public:
    static constexpr char kProductType[] = "Brivel Gateway";

    explicit ZelboPage(QWidget* parent = nullptr);
    ~ZelboPage() override;

    void OnInitDialog() override;
    bool OnSetActive() override;
    bool OnApply() override;

    // The edit box of a checked field (null for ZelboField::None).
    QLineEdit* FieldEdit(ZelboField field) const;

    // Members shown by the controls.
    std::string extendedAddress;
    std::string extPanId;
    std::string firmwareVersion;
    std::string joinTime;
    std::string nodeId;
    std::string discoverTimeout;
    std::string scanChannels;
    std::string scanDuration;
    std::string firmwareFile;
    std::string productType = kProductType;

  public slots:
    void Browse();
    void UpdateRadioFirmware();

  protected:
    void DoDataExchange(DataExchange& exchange) override;

  private:
    // Reads the state, then the mesh radio settings, into the members and shows them.
    void ShowDocuments();

    std::unique_ptr<Ui::ZelboPage> ui_;
};

}  // namespace merivane
