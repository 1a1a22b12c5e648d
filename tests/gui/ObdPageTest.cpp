#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QTest>

#include "SettingsPageHarness.h"
#include "pages/CellPage.h"
#include "pages/ObdPage.h"

namespace merivane {
namespace {

using test::PageHarness;

constexpr const char* kRows[][2] = {
    {"odometerEdit", "odometerLabel"},
    {"fuelEdit", "fuelLabel"},
    {"displacementEdit", "displacementLabel"},
    {"idleTimeEdit", "idleTimeLabel"},
};

class ObdPageTest : public ::testing::Test {
  protected:
    QLineEdit* Edit(const char* name) { return h_.Get<QLineEdit>(name); }

    PageHarness<ObdPage> h_;
};

TEST_F(ObdPageTest, EachReportedValueShowsItsRowAndTheBoxIsNeverDrawn) {
    h_.Show(
        "<obd><odometer>48213</odometer><fuel>62</fuel><displacement>2.4</displacement>"
        "<idle_time>1260</idle_time></obd>");
    for (const auto& [edit, label] : kRows) {
        EXPECT_TRUE(h_.Visible(edit)) << edit;
        EXPECT_TRUE(h_.Visible(label)) << label;
    }
    EXPECT_FALSE(test::FrameShown(h_.Get<QGroupBox>("obdGroup")));
    EXPECT_EQ(Edit("odometerEdit")->text(), "48213");
    EXPECT_EQ(Edit("idleTimeEdit")->text(), "1260");
    EXPECT_FALSE(h_.page.IsModified());
}

TEST_F(ObdPageTest, OnlyTheOdometerAndFuelRowsShowWhenOnlyTheyAreReported) {
    h_.Show("<obd><odometer>1</odometer><fuel>2</fuel></obd>");
    const bool shown[] = {true, true, false, false};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(h_.Visible(kRows[i][0]), shown[i]) << kRows[i][0];
        EXPECT_EQ(h_.Visible(kRows[i][1]), shown[i]) << kRows[i][1];
    }
    EXPECT_FALSE(test::FrameShown(h_.Get<QGroupBox>("obdGroup")));
}

TEST_F(ObdPageTest, TextsAreStoredAsTheyAreEmptyOnesIncluded) {
    h_.Show("<obd><odometer></odometer><fuel>62</fuel><idle_time>1260</idle_time></obd>");
    EXPECT_TRUE(h_.Visible("odometerEdit"));
    EXPECT_EQ(Edit("odometerEdit")->text(), "");
    QTest::keyClick(Edit("fuelEdit"), Qt::Key_End);
    QTest::keyClicks(Edit("fuelEdit"), " litres?");
    EXPECT_TRUE(h_.page.IsModified());
    h_.Apply();
    EXPECT_EQ(h_.applies, 1);
    EXPECT_EQ(h_.Value("obd/odometer"), "");
    EXPECT_EQ(h_.Value("obd/idle_time"), "1260");
    EXPECT_EQ(h_.Value("obd/fuel"), "62 litres?");
}

TEST_F(ObdPageTest, EveryEditIsNamedByItsLabel) {
    const std::pair<const char*, const char*> named[] = {
        {"odometerEdit", "Odometer"},
        {"fuelEdit", "Fuel"},
        {"displacementEdit", "Displacement"},
        {"idleTimeEdit", "Idle Time"},
    };
    for (const auto& [object, name] : named)
        EXPECT_EQ(test::AccessibleName(h_.Get(object)).toStdString(), name) << object;
    EXPECT_EQ(h_.page.Caption(), "OBD");
}

// Against the simulated tracker.
TEST(ObdPageDeviceTest, ApplySendsTheValues) {
    test::DeviceHarness<ObdPage, CellPage> h;
    ASSERT_TRUE(h.Start(sim::Product::Korvane));
    auto* odometer = h.Get<QLineEdit>("odometerEdit");
    EXPECT_EQ(odometer->text(), "48213");

    odometer->setText("50120");
    h.Get<QLineEdit>("displacementEdit")->setText("3.0 l");
    h.Apply();
    EXPECT_EQ(h.Setting("obd/odometer"), "50120");
    EXPECT_EQ(h.Setting("obd/displacement"), "3.0 l");
    EXPECT_EQ(h.Setting("obd/fuel"), "62");
    EXPECT_EQ(h.page.odometer, "50120");
    EXPECT_EQ(h.page.displacement, "3.0 l");
    EXPECT_TRUE(h.prompts.ShownPrompts().empty());
}

}  // namespace
}  // namespace merivane
