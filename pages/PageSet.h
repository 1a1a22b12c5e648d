#pragma once

#include <memory>
#include <string>

namespace merivane {

class CellPage;
class FirmwarePage;
class KestrionPropertySheet;
class MainPage;
class ObdPage;
class PythonPage;
class SerialPage;
class TelvoraPage;
class UtilsPage;
class ZelboPage;

// All nine pages, built whatever the product, and the choice of those that
// suit it. They are destroyed in the reverse order of their construction.
class PageSet {
  public:
    PageSet();
    ~PageSet();
    PageSet(const PageSet&) = delete;
    PageSet& operator=(const PageSet&) = delete;

    // Adds the pages in tab order: for the tracker ("Korvane") Device
    // Information, Mobile, Remote Management, OBD, Python, Firmware Update,
    // Utilities; for every other product Device Information, Mobile, Remote
    // Management, Zelbo (only with the radio module), Serial Port, Python,
    // Firmware Update, Utilities.
    void AddTo(KestrionPropertySheet& sheet, const std::string& product, bool zelboPresent);

    MainPage& Main() { return *main_; }
    CellPage& Cell() { return *cell_; }
    TelvoraPage& Telvora() { return *telvora_; }
    ZelboPage& Zelbo() { return *zelbo_; }
    SerialPage& Serial() { return *serial_; }
    PythonPage& Python() { return *python_; }
    FirmwarePage& Firmware() { return *firmware_; }
    UtilsPage& Utils() { return *utils_; }
    ObdPage& Obd() { return *obd_; }

  private:
    std::unique_ptr<MainPage> main_;
    std::unique_ptr<CellPage> cell_;
    std::unique_ptr<TelvoraPage> telvora_;
    std::unique_ptr<ZelboPage> zelbo_;
    std::unique_ptr<SerialPage> serial_;
    std::unique_ptr<PythonPage> python_;
    std::unique_ptr<FirmwarePage> firmware_;
    std::unique_ptr<UtilsPage> utils_;
    std::unique_ptr<ObdPage> obd_;
};

}  // namespace merivane
