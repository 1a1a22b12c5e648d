#include "pages/ObdPage.h"

#include "ui/DataExchange.h"
#include "ui_ObdPage.h"

namespace merivane {

ObdPage::ObdPage(QWidget* parent) : PropertyPage(parent), ui_(std::make_unique<Ui::ObdPage>()) {
    ui_->setupUi(this);
    SetBoundDocument(BoundDocument::Settings);
    Bindings() = {
        BindText("obd/odometer", &odometer, "odometerEdit"),
        BindText("obd/fuel", &fuel, "fuelEdit"),
        BindText("obd/displacement", &displacement, "displacementEdit"),
        BindText("obd/idle_time", &idleTime, "idleTimeEdit"),
    };
    // The page shows only the labelled values, never the box around them.
    FrameWith(ui_->obdGroup, nullptr);
    MarkModifiedOnChange(
        {ui_->odometerEdit, ui_->fuelEdit, ui_->displacementEdit, ui_->idleTimeEdit});
}

ObdPage::~ObdPage() = default;

void ObdPage::DoDataExchange(DataExchange& exchange) {
    exchange.Text(ui_->odometerEdit, odometer);
    exchange.Text(ui_->fuelEdit, fuel);
    exchange.Text(ui_->displacementEdit, displacement);
    exchange.Text(ui_->idleTimeEdit, idleTime);
}

}  // namespace merivane
