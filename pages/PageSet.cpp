#include "pages/PageSet.h"

#include "app/Product.h"
#include "pages/CellPage.h"
#include "pages/FirmwarePage.h"
#include "pages/MainPage.h"
#include "pages/ObdPage.h"
#include "pages/PythonPage.h"
#include "pages/SerialPage.h"
#include "pages/TelvoraPage.h"
#include "pages/UtilsPage.h"
#include "pages/ZelboPage.h"
#include "ui/KestrionPropertySheet.h"

namespace merivane {

PageSet::PageSet()
    : main_(std::make_unique<MainPage>()),
      cell_(std::make_unique<CellPage>()),
      telvora_(std::make_unique<TelvoraPage>()),
      zelbo_(std::make_unique<ZelboPage>()),
      serial_(std::make_unique<SerialPage>()),
      python_(std::make_unique<PythonPage>()),
      firmware_(std::make_unique<FirmwarePage>()),
      utils_(std::make_unique<UtilsPage>()),
      obd_(std::make_unique<ObdPage>()) {}

// The members go in the reverse order of their declaration: OBD first, device information last.
PageSet::~PageSet() = default;

void PageSet::AddTo(KestrionPropertySheet& sheet, const std::string& product, bool zelboPresent) {
    sheet.AddPage(main_.get());
    sheet.AddPage(cell_.get());
    sheet.AddPage(telvora_.get());
    if (IsKorvane(product)) {
        sheet.AddPage(obd_.get());
    } else {
        if (zelboPresent) sheet.AddPage(zelbo_.get());
        sheet.AddPage(serial_.get());
    }
    sheet.AddPage(python_.get());
    sheet.AddPage(firmware_.get());
    sheet.AddPage(utils_.get());
}

}  // namespace merivane
