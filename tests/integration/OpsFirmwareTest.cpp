#include <string>

#include "OpsTestSupport.h"
#include "app/CKestrionApp.h"
#include "ops/FirmwareUpdate.h"
#include "ops/ZelboFirmware.h"
#include "settings/Bindings.h"
#include "settings/RciRequests.h"
#include "sim/FirmwareImage.h"

namespace merivane {
namespace {

using test::ProcessEnded;
using test::ScriptedPrompts;

class OpsFirmwareTest : public test::OpsFixture {
  protected:
    std::string Image(const std::string& name, const std::string& version, size_t size = 6000) {
        const std::string path = LocalFile(name, size, true, 7);
        std::string content = test::ReadWholeFile(path);
        content.replace(100, 8 + version.size(), "version=" + version);
        test::WriteWholeFile(path, content);
        return path;
    }

    std::string RadioValue(const std::string& path, xmlNode* start) {
        std::string value = "<unread>";
        ReadBindings(nullptr, BindingTable{BindText(path, &value, "")}, start);
        return value;
    }

    std::string MismatchText(const std::string& local, const std::string& device) {
        return "File upload failed.  MD5 sum should have been " + local + ", but came back as " +
               device + ".\r\nSelect Retry to attempt the file upload again.";
    }
};

TEST_F(OpsFirmwareTest, AnUpdateRunsEndToEndAndEndsTheProcess) {
    documents_.LoadStateDocument(Ask(rci::InlineCommand(rci::kQueryState)));
    EXPECT_EQ(ReadFirmwareInfo(documents_).product, "Brivel");
    EXPECT_EQ(ReadFirmwareInfo(documents_).firmwareVersion, "Version 3.2.14.7 2023-05-02");

    const std::string image = Image("brivel-4.1.bin", "4.1.0.2");
    std::string shownVersion;
    int ended = -1;
    try {
        UpdateFirmware(image, documents_, executor_, prompts_, AfterFirmwareUpdate::EndProcess,
                       [&] { shownVersion = ReadFirmwareInfo(documents_).firmwareVersion; });
    } catch (const ProcessEnded& end) {
        ended = end.code;
    }
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(shownVersion, "Version 4.1.0.2") << "the new state is shown before the messages";
    EXPECT_EQ(device_->FirmwareVersion(), "4.1.0.2");
    EXPECT_EQ(device_->PlugCount(), 2u) << "the device left the line and came back";
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text, "Firmware Update Complete. Exiting the Merivane...");
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, CKestrionApp::kDisplayName);

    ASSERT_EQ(executor_.uploads.size(), 1u);
    EXPECT_TRUE(executor_.uploads[0].firmware);
    const CommandList& verify = executor_.batches.at(0);
    EXPECT_EQ(verify[0].command, "at&usbinterface=41,\"/fw/updatefw.dwl\"\r\n");
    EXPECT_EQ(verify[0].message, "Verifying firmware image on the device...");
    const CommandList& update = executor_.batches.at(1);
    ASSERT_EQ(update.size(), 3u);
    EXPECT_EQ(update[0].command, "at&usbinterface=110\r\n");
    EXPECT_EQ(update[1].command, "at\r\n");
    EXPECT_EQ(update[2].command, rci::InlineCommand(rci::kQueryState));
    EXPECT_EQ(update[0].timeout, 300000);
    EXPECT_EQ(update[1].timeout, 1000);
    EXPECT_EQ(update[2].timeout, 40000);
    EXPECT_EQ(update[0].message, "The device is now updating the firmware....");
}

TEST_F(OpsFirmwareTest, AMismatchRetryRemovesTheImageFirst) {
    const std::string image = Image("fw.bin", "4.2.0.0");
    ASSERT_TRUE(device_->AddFault("corrupt-upload"));
    prompts_.QueueAnswer(Prompts::Answer::Retry);
    std::string corrupted;  // the digest of the bad copy, taken before it is removed
    executor_.afterBatch = [&](const CommandList&) {
        if (corrupted.empty())
            corrupted = sim::Md5Hex(device_->FileContents("/fw/updatefw.dwl").value_or(""));
    };
    const FirmwareOutcome outcome =
        UpdateFirmware(image, documents_, executor_, prompts_, AfterFirmwareUpdate::Return);
    EXPECT_EQ(outcome, FirmwareOutcome::Updated);
    EXPECT_EQ(device_->FirmwareVersion(), "4.2.0.0");

    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u) << "no closing text for a returning caller";
    const std::string local = sim::Md5Hex(test::ReadWholeFile(image));
    ASSERT_NE(corrupted, local);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text, MismatchText(local, corrupted));
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, "Error");
    EXPECT_EQ(prompts_.ShownPrompts()[0].kind, ScriptedPrompts::Kind::RetryCancel);

    ASSERT_EQ(executor_.batches.size(), 4u);  // verify, remove, verify, update
    EXPECT_EQ(executor_.batches[1][0].command, rci::InlineCommand(rci::kRemoveFirmwareImage));
    EXPECT_EQ(executor_.batches[1][0].message,
              "Removing uploaded firmware image from the device...");
    EXPECT_EQ(executor_.batches[1][0].timeout, 10000);
    EXPECT_EQ(executor_.uploads.size(), 2u);
}

TEST_F(OpsFirmwareTest, CancelAfterAMismatchSendsNothingMore) {
    const std::string image = Image("fw.bin", "4.3.0.0");
    ASSERT_TRUE(device_->AddFault("corrupt-upload"));
    const FirmwareOutcome outcome =
        UpdateFirmware(image, documents_, executor_, prompts_, AfterFirmwareUpdate::Return);
    EXPECT_EQ(outcome, FirmwareOutcome::NotVerified);
    EXPECT_TRUE(ReceivedWith("=110").empty());
    EXPECT_TRUE(ReceivedWith("<rm ").empty());
    EXPECT_TRUE(device_->FileContents("/fw/updatefw.dwl")) << "the image stays";
    EXPECT_EQ(device_->FirmwareVersion(), "3.2.14.7");
}

TEST_F(OpsFirmwareTest, AFailedUpdateCommandIsSaidBeforeTheClosingMessage) {
    const std::string image = Image("fw.bin", "4.4.0.0");
    ASSERT_TRUE(device_->AddFault("error:usbinterface=110"));
    int ended = -1;
    try {
        UpdateFirmware(image, documents_, executor_, prompts_);
    } catch (const ProcessEnded& end) {
        ended = end.code;
    }
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(prompts_.Texts(),
              (std::vector<std::string>{"Firmware Update failed.",
                                        "Firmware Update Complete. Exiting the Merivane..."}));
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, "Error");
}

// The version the device shows decides: a device that restarts only after the
// wait for it has run out comes back during the next command, on the new
// version, and the update is done, with no word of failure.
TEST_F(OpsFirmwareTest, ADeviceBackOnlyAfterTheWaitIsUpdatedByTheVersionItShows) {
    options_.restartMs = 320000;
    StartDevice();
    documents_.LoadStateDocument(Ask(rci::InlineCommand(rci::kQueryState)));
    const FirmwareOutcome outcome = UpdateFirmware(
        Image("fw.bin", "4.5.0.0"), documents_, executor_, prompts_, AfterFirmwareUpdate::Return);
    EXPECT_EQ(outcome, FirmwareOutcome::Updated);
    EXPECT_EQ(ReadFirmwareInfo(documents_).firmwareVersion, "Version 4.5.0.0");
    EXPECT_TRUE(prompts_.Texts().empty()) << prompts_.Texts().front();
}

TEST_F(OpsFirmwareTest, MissingImagesAreRefusedBeforeAnythingIsSent) {
    struct Case {
        std::string path;
        const char* text;
        const char* caption;
    };
    const Case cases[] = {
        {"", "You must select the firmware file to update.", "Please enter a filename"},
        {dir_.File("absent.bin"), "Unable to open the firmware file to update.",
         "Please enter a correct filename"},
        {dir_.Path().string(), "Unable to open the firmware file to update.",
         "Please enter a correct filename"},
    };
    device_->ClearReceivedCommands();
    for (const Case& c : cases) {
        for (bool radio : {false, true}) {
            ScriptedPrompts prompts;
            const FirmwareOutcome outcome =
                radio ? UpdateRadioFirmware(c.path, documents_, executor_, prompts)
                      : UpdateFirmware(c.path, documents_, executor_, prompts,
                                       AfterFirmwareUpdate::Return);
            EXPECT_EQ(outcome, FirmwareOutcome::Refused) << c.path;
            ASSERT_EQ(prompts.ShownPrompts().size(), 1u);
            EXPECT_EQ(prompts.ShownPrompts()[0].text, c.text);
            EXPECT_EQ(prompts.ShownPrompts()[0].caption, c.caption);
            EXPECT_EQ(prompts.ShownPrompts()[0].icon, Prompts::Icon::Error);
        }
    }
    EXPECT_TRUE(device_->ReceivedCommands().empty());
}

TEST_F(OpsFirmwareTest, TheRadioIsUpdatedAndItsDocumentsReadAgain) {
    const std::string image = Image("radio-3006.ebl", "0x3006");
    const FirmwareOutcome outcome = UpdateRadioFirmware(image, documents_, executor_, prompts_);
    EXPECT_EQ(outcome, FirmwareOutcome::Updated);
    EXPECT_TRUE(prompts_.ShownPrompts().empty()) << "no message reports the end";
    EXPECT_EQ(device_->FileContents("/WEB/mesh/radio-3006.ebl"), test::ReadWholeFile(image));
    EXPECT_EQ(RadioValue("zigbee_state/firmware_version", documents_.StateNode()), "0x3006");
    EXPECT_NE(RadioValue("radio/join_time", documents_.ZelboNode()), "<unread>");

    ASSERT_EQ(executor_.batches.size(), 2u);
    EXPECT_EQ(executor_.batches[0][0].command,
              "at&usbinterface=41,\"/WEB/mesh/radio-3006.ebl\"\r\n");
    EXPECT_EQ(executor_.batches[0][0].message, "Verifying firmware image on the Device...");
    const CommandList& update = executor_.batches[1];
    ASSERT_EQ(update.size(), 3u);
    EXPECT_EQ(update[0].command,
              "at&usbinterface=20,\"<rci_request version='1.1'><do_command target='zigbee'>"
              "<fw_update file='radio-3006.ebl'/></do_command></rci_request>\"\r\n");
    EXPECT_EQ(update[0].timeout, 180000);
    EXPECT_EQ(update[1].message, "Collecting Device information...");
    EXPECT_EQ(update[2].message, "Retrieving Zelbo settings from the device...");
}

TEST_F(OpsFirmwareTest, ARadioImageMismatchIsRemovedBeforeTheRetry) {
    const std::string image = Image("radio.ebl", "0x3007");
    ASSERT_TRUE(device_->AddFault("corrupt-upload"));
    prompts_.QueueAnswer(Prompts::Answer::Retry);
    EXPECT_EQ(UpdateRadioFirmware(image, documents_, executor_, prompts_),
              FirmwareOutcome::Updated);
    ASSERT_EQ(executor_.batches.size(), 4u);
    EXPECT_EQ(executor_.batches[1][0].command,
              "at&usbinterface=20,\"<rci_request version='1.1'><do_command target='file_system'>"
              "<rm name='/WEB/mesh/radio.ebl'/></do_command></rci_request>\"\r\n");
    EXPECT_EQ(executor_.batches[1][0].message,
              "Removing uploaded firmware image from the Device...");
    EXPECT_EQ(RadioValue("zigbee_state/firmware_version", documents_.StateNode()), "0x3007");
}

TEST_F(OpsFirmwareTest, ARadioImageWhoseNameCannotTravelIsRefused) {
    const std::string image = LocalFile("radio\"1.ebl", 100, true);
    device_->ClearReceivedCommands();
    EXPECT_EQ(UpdateRadioFirmware(image, documents_, executor_, prompts_),
              FirmwareOutcome::Refused);
    EXPECT_EQ(prompts_.Texts(),
              std::vector<std::string>{"The file " + image +
                                       " cannot be sent to the device. The file name "
                                       "contains a double quote."});
    EXPECT_TRUE(device_->ReceivedCommands().empty());
}

}  // namespace
}  // namespace merivane
