#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "DevicePageFixture.h"
#include "pages/FirmwarePage.h"

namespace merivane {
namespace {

using test::ProcessEnded;

class FirmwarePageTest : public test::DevicePageFixture<FirmwarePage> {
  protected:
    // A firmware image that names its version.
    std::string Image(const std::string& name, const std::string& version) {
        const std::string path = LocalFile(name, 6000, true, 7);
        std::string content = test::ReadWholeFile(path);
        content.replace(100, 8 + version.size(), "version=" + version);
        test::WriteWholeFile(path, content);
        return path;
    }

    QString Shown(const char* edit) { return Find<QLineEdit>(edit)->text(); }
    void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
};

TEST_F(FirmwarePageTest, ThePageShowsTheProductAndFirmwareOfTheState) {
    LoadDocuments();
    Open();
    EXPECT_EQ(Shown("productEdit"), "Brivel");
    EXPECT_EQ(Shown("firmwareVersionEdit"), "Version 3.2.14.7 2023-05-02");
    EXPECT_TRUE(Find<QLineEdit>("productEdit")->isReadOnly());
    EXPECT_TRUE(Find<QLineEdit>("firmwareVersionEdit")->isReadOnly());
    EXPECT_FALSE(Find<QLineEdit>("imagePathEdit")->isReadOnly());
    EXPECT_TRUE(Find<QPushButton>("updateButton")->isVisible());
    EXPECT_FALSE(page_.IsModified());
}

TEST_F(FirmwarePageTest, AnUpdateRunsEndToEndShowsTheNewVersionAndEndsTheProcess) {
    LoadDocuments();
    Open();
    const std::string image = Image("brivel-4.1.bin", "4.1.0.2");
    prompts_.QueueFile(image);
    Click("browseButton");
    EXPECT_EQ(Shown("imagePathEdit").toStdString(), image);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, "*.bin|*.*||");
    EXPECT_EQ(prompts_.ShownPrompts()[0].details, "*.bin");
    prompts_.ClearShown();

    // Called directly, not through a queued click: the end of the process is
    // thrown out of the handler into the test.
    int ended = -1;
    try {
        page_.Update();
    } catch (const ProcessEnded& end) {
        ended = end.code;
    }
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(device_->FirmwareVersion(), "4.1.0.2");
    EXPECT_EQ(device_->PlugCount(), 2u) << "the device left the line and came back";
    EXPECT_EQ(Shown("firmwareVersionEdit"), "Version 4.1.0.2") << "shown behind the messages";
    EXPECT_EQ(prompts_.Texts(),
              std::vector<std::string>{"Firmware Update Complete. Exiting the Merivane..."});
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, CKestrionApp::kDisplayName);

    ASSERT_EQ(executor_.uploads.size(), 1u);
    EXPECT_TRUE(executor_.uploads[0].firmware);
    ASSERT_EQ(executor_.batches.size(), 2u);  // verify, then the three update commands
    EXPECT_EQ(executor_.batches[0][0].command, "at&usbinterface=41,\"/fw/updatefw.dwl\"\r\n");
    EXPECT_EQ(executor_.batches[1].size(), 3u);
    EXPECT_EQ(executor_.batches[1][0].command, "at&usbinterface=110\r\n");
}

TEST_F(FirmwarePageTest, AFailedUpdateCommandIsSaidBeforeTheClosingMessage) {
    LoadDocuments();
    Open();
    Find<QLineEdit>("imagePathEdit")->setText(QString::fromStdString(Image("fw.bin", "4.4.0.0")));
    ASSERT_TRUE(device_->AddFault("error:usbinterface=110"));
    int ended = -1;
    try {
        page_.Update();
    } catch (const ProcessEnded& end) {
        ended = end.code;
    }
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(prompts_.Texts(),
              (std::vector<std::string>{"Firmware Update failed.",
                                        "Firmware Update Complete. Exiting the Merivane..."}));
}

TEST_F(FirmwarePageTest, MissingImagesAreRefusedWithTheirMessagesAndNothingIsSent) {
    Open();
    const std::pair<std::string, const char*> cases[] = {
        {"", "You must select the firmware file to update."},
        {dir_.File("absent.bin"), "Unable to open the firmware file to update."},
    };
    device_->ClearReceivedCommands();
    for (const auto& [path, message] : cases) {
        prompts_.ClearShown();
        Find<QLineEdit>("imagePathEdit")->setText(QString::fromStdString(path));
        Click("updateButton");
        EXPECT_EQ(prompts_.Texts(), std::vector<std::string>{message}) << path;
    }
    EXPECT_TRUE(device_->ReceivedCommands().empty());
    EXPECT_TRUE(executor_.uploads.empty());
}

TEST_F(FirmwarePageTest, BrowseCancelledKeepsThePathAndRewritesTheEditBox) {
    Open();
    page_.imagePath = "/images/current.bin";
    page_.UpdateData(false);
    // Typed but not yet taken: Browse starts from the path last taken.
    Find<QLineEdit>("imagePathEdit")->setText("/typed/but/not/taken.bin");
    Click("browseButton");
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text, "/images/current.bin");
    EXPECT_EQ(Shown("imagePathEdit"), "/images/current.bin");
}

TEST_F(FirmwarePageTest, EveryControlIsNamedByItsLabel) {
    const std::pair<const char*, const char*> named[] = {
        {"productEdit", "Product"},          {"firmwareVersionEdit", "Firmware Version"},
        {"imagePathEdit", "Firmware Image"}, {"browseButton", "Browse for firmware image"},
        {"updateButton", "Update firmware"},
    };
    for (const auto& [object, name] : named)
        EXPECT_EQ(test::AccessibleName(Find<QWidget>(object)), name) << object;
    EXPECT_EQ(Find<QPushButton>("updateButton")->text(), "Update");
    EXPECT_EQ(Find<QPushButton>("browseButton")->text(), "Browse...");
    EXPECT_EQ(page_.Caption(), "Firmware Update");
}

}  // namespace
}  // namespace merivane
