#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cctype>

#include "DevicePageFixture.h"
#include "pages/ZelboPage.h"

namespace merivane {
namespace {

class ZelboPageTest : public test::DevicePageFixture<ZelboPage> {
  protected:
    QString Shown(const char* edit) { return Find<QLineEdit>(edit)->text(); }
    void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }

    // Replaces the mesh radio apply with one that only counts.
    void CountApplies() {
        sheet_.SetApplyHandlers({}, [this] {
            ++applies_;
            return ApplyOutcome::Applied;
        });
    }

    int applies_ = 0;
};

TEST_F(ZelboPageTest, ThePageShowsTheRadioStateAndItsConfiguredSettings) {
    LoadDocuments();
    Open();
    EXPECT_EQ(Shown("extendedAddressEdit"), "00:13:a2:00:40:a1:b2:c3!");
    EXPECT_EQ(Shown("productTypeEdit"), "Brivel Gateway");
    EXPECT_EQ(Shown("firmwareVersionEdit"), "0x3005");
    // The state's operating value gives way to the configured one.
    EXPECT_EQ(Shown("extPanIdEdit"), "0x0");
    EXPECT_EQ(Shown("nodeIdEdit"), "Brivel gateway");
    EXPECT_EQ(Shown("discoverTimeoutEdit"), "60");
    EXPECT_EQ(Shown("scanChannelsEdit"), "0x7fff");
    EXPECT_EQ(Shown("scanDurationEdit"), "3");
    EXPECT_EQ(Shown("joinTimeEdit"), "255");
    for (const char* readOnly : {"extendedAddressEdit", "productTypeEdit", "firmwareVersionEdit"})
        EXPECT_TRUE(Find<QLineEdit>(readOnly)->isReadOnly()) << readOnly;
    EXPECT_EQ(Find<QLineEdit>("extPanIdEdit")->maxLength(), 20);
    EXPECT_FALSE(page_.IsModified());

    // Typing marks the page changed; the figures-only fields take no letters.
    QTest::keyClick(Find<QLineEdit>("joinTimeEdit"), Qt::Key_End);
    QTest::keyClicks(Find<QLineEdit>("joinTimeEdit"), "x9");
    EXPECT_EQ(Shown("joinTimeEdit"), "2559");
    EXPECT_TRUE(page_.IsModified());
}

struct Bound {
    const char* edit;
    const char* text;
    const char* message;  // empty: the value is accepted
};

void PrintTo(const Bound& b, std::ostream* os) { *os << b.edit << " = \"" << b.text << '"'; }

class ZelboBoundsTest : public ZelboPageTest, public ::testing::WithParamInterface<Bound> {};

TEST_P(ZelboBoundsTest, EachFieldIsCheckedAtItsBoundsWithTheFocusOnAFailure) {
    const Bound& bound = GetParam();
    LoadDocuments();
    CountApplies();
    Open();
    auto* edit = Find<QLineEdit>(bound.edit);
    edit->setText(bound.text);
    page_.SetModified(true);
    sheet_.Apply();
    if (std::string(bound.message).empty()) {
        EXPECT_TRUE(prompts_.ShownPrompts().empty());
        EXPECT_EQ(applies_, 1);
        return;
    }
    EXPECT_EQ(applies_, 0);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text, bound.message);
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, "Error");
    EXPECT_EQ(page_.focusWidget(), edit);
    EXPECT_TRUE(page_.IsModified()) << "the apply was refused";
}

constexpr char kPan[] = "Extended PAN ID must be 8 hex bytes";
constexpr char kDiscover[] = "Discover Timeout must be between 0 and 252";
constexpr char kChannels[] = "Scan Channels must be between 0 and 0xffff";
constexpr char kDuration[] = "Scan Duration must be between 0 and 7";
constexpr char kJoin[] = "Allows Join Time must be between 0 and 255";

INSTANTIATE_TEST_SUITE_P(
    Fields, ZelboBoundsTest,
    ::testing::Values(
        Bound{"extPanIdEdit", "0", kPan}, Bound{"extPanIdEdit", "0x0", ""},
        Bound{"extPanIdEdit", "0X0", kPan}, Bound{"extPanIdEdit", "0x0013a20040a1b2c3", ""},
        Bound{"discoverTimeoutEdit", "252", ""}, Bound{"discoverTimeoutEdit", "253", kDiscover},
        Bound{"discoverTimeoutEdit", "-1", kDiscover}, Bound{"scanChannelsEdit", "ffff", ""},
        Bound{"scanChannelsEdit", "0xffff", ""}, Bound{"scanChannelsEdit", "10000", kChannels},
        Bound{"scanDurationEdit", "7", ""}, Bound{"scanDurationEdit", "8", kDuration},
        Bound{"joinTimeEdit", "255", ""}, Bound{"joinTimeEdit", "256", kJoin},
        Bound{"joinTimeEdit", "4294967296", kJoin}),
    [](const auto& info) {
        std::string name = std::string(info.param.edit) + "_" + info.param.text;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST_F(ZelboPageTest, TheFirstFailingFieldInTheCheckingOrderIsReported) {
    LoadDocuments();
    CountApplies();
    Open();
    Find<QLineEdit>("joinTimeEdit")->setText("256");
    Find<QLineEdit>("scanChannelsEdit")->setText("10000");
    page_.SetModified();
    sheet_.Apply();
    EXPECT_EQ(prompts_.Texts(), std::vector<std::string>{kChannels});
    EXPECT_EQ(page_.focusWidget(), Find<QLineEdit>("scanChannelsEdit"));
}

TEST_F(ZelboPageTest, AppliedSettingsReachTheRadioAndAreReadBack) {
    LoadDocuments();
    Open();
    auto* node = Find<QLineEdit>("nodeIdEdit");
    node->clear();
    QTest::keyClicks(node, "Hall sensor hub");
    auto* join = Find<QLineEdit>("joinTimeEdit");
    join->clear();
    QTest::keyClicks(join, "30");
    ASSERT_TRUE(sheet_.ApplyButton()->isEnabled());
    QTest::mouseClick(sheet_.ApplyButton(), Qt::LeftButton);
    EXPECT_TRUE(prompts_.ShownPrompts().empty());
    EXPECT_EQ(device_->RadioSetting("radio/node_id"), "Hall sensor hub");
    EXPECT_EQ(device_->RadioSetting("radio/join_time"), "30");
    EXPECT_EQ(Shown("joinTimeEdit"), "30");
    EXPECT_FALSE(page_.IsModified());
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), "broadband.varik.example")
        << "the device settings are not sent";
}

TEST_F(ZelboPageTest, TheRadioFirmwareIsUpdatedThroughThePage) {
    LoadDocuments();
    Open();
    const std::string image = LocalFile("radio-3006.ebl", 4000, true, 3);
    std::string content = test::ReadWholeFile(image);
    content.replace(100, 14, "version=0x3006");
    test::WriteWholeFile(image, content);

    prompts_.QueueFile(image);
    Click("browseButton");
    EXPECT_EQ(Shown("firmwareFileEdit").toStdString(), image);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, "*.ebl|*.*||");
    Click("updateButton");

    EXPECT_EQ(prompts_.ShownPrompts().size(), 1u) << "no message reports the end";
    EXPECT_EQ(device_->FileContents("/WEB/mesh/radio-3006.ebl"), content);
    EXPECT_EQ(Shown("firmwareVersionEdit"), "0x3006");
    EXPECT_EQ(Shown("joinTimeEdit"), "255") << "the radio settings are read again";
}

TEST_F(ZelboPageTest, EveryControlIsNamedByItsLabel) {
    const std::pair<const char*, const char*> named[] = {
        {"extendedAddressEdit", "Extended Address"},
        {"productTypeEdit", "Product Type"},
        {"firmwareVersionEdit", "Firmware Version"},
        {"extPanIdEdit", "Extended PAN ID (ID)"},
        {"nodeIdEdit", "Node Identifier (NI)"},
        {"discoverTimeoutEdit", "Discover Timeout (NT)"},
        {"scanChannelsEdit", "Scan Channels (SC)"},
        {"scanDurationEdit", "Scan Duration (SD)"},
        {"joinTimeEdit", "Allows Join Time (NJ)"},
        {"firmwareFileEdit", "Select Firmware File"},
        {"browseButton", "Browse for Zelbo firmware file"},
        {"updateButton", "Update Zelbo firmware"},
    };
    for (const auto& [object, name] : named)
        EXPECT_EQ(test::AccessibleName(Find<QWidget>(object)), name) << object;
    EXPECT_EQ(Find<QLabel>("discoverTimeoutNote")->text(), "tenths of second (0-252) ");
    EXPECT_EQ(Find<QLabel>("joinTimeNote")->text(), "seconds (0-255. 255=always) ");
    EXPECT_EQ(page_.Caption(), "Zelbo");
}

}  // namespace
}  // namespace merivane
