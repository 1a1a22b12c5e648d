#include <gtest/gtest.h>

#include <random>

#include "app/BatchExecutor.h"
#include "app/Identification.h"
#include "app/Product.h"
#include "app/SettingsApply.h"
#include "settings/Bindings.h"
#include "settings/DocumentStore.h"
#include "support/Clock.h"
#include "support/FileMd5Hex.h"
#include "support/SimFixture.h"

namespace merivane {
namespace {

// Identification, applying settings and uploads as the application runs
// them, against the simulated device.
class AppFlowTest : public test::SimFixture {
  protected:
    AppFlowTest() : clock_(50.0, 1500), installed_(clock_) {}

    bool Identify(const std::string& product) {
        g_product = product;
        return IdentifyDevice(transport_, executor_, product, identity_, documents_);
    }

    std::string ReadSetting(const std::string& path, xmlNode* start) {
        std::string value = "<unread>";
        ReadBindings(nullptr, BindingTable{BindText(path, &value, "")}, start);
        return value;
    }

    void WriteSetting(const std::string& path, std::string value, xmlNode* start) {
        WriteBindings(BindingTable{BindText(path, &value, "")}, start);
    }

    std::string DeviceDigest(const std::string& path) {
        CommandList list = {
            {"at&usbinterface=41,\"" + path + "\"\r\n", "Verifying upload...", 30000}};
        executor_.RunBatch(list);
        return list[0].result;
    }

    std::string LocalFile(const std::string& name, size_t size, unsigned seed) {
        std::mt19937 random(seed);
        std::string content(size, '\0');
        for (char& c : content) c = static_cast<char>(random());
        const std::string path = dir_.File(name);
        test::WriteWholeFile(path, content);
        return path;
    }

    ScaledClock clock_;
    ScopedClock installed_;
    HeadlessExecutor executor_{transport_};
    DeviceIdentity identity_;
    DocumentStore documents_;
};

TEST_F(AppFlowTest, TheGatewayIsIdentifiedWithItsDocuments) {
    ASSERT_TRUE(Identify(kBrivel));
    EXPECT_EQ(identity_.modemMaker, "Varik International");
    EXPECT_EQ(identity_.serialNumber.size(), 15u);
    EXPECT_EQ(identity_.imsi.size(), 15u);
    EXPECT_EQ(identity_.phoneNumber, "+15551234567");
    EXPECT_EQ(identity_.signalQuality, 17);
    EXPECT_EQ(identity_.registration, 1);
    EXPECT_NE(documents_.SettingsNode(), nullptr);
    EXPECT_EQ(ReadSetting("device_info/product", documents_.StateNode()), "Brivel");
    EXPECT_NE(documents_.ZelboNode(), nullptr);
    EXPECT_TRUE(documents_.ZelboPresent());
}

TEST_F(AppFlowTest, ModemErrorsStillIdentifyTheDevice) {
    for (const char* command : {"error:AT+CIMI", "error:AT+CNUM", "error:AT+CGSN", "error:AT+CSQ"})
        ASSERT_TRUE(device_->AddFault(command));
    ASSERT_TRUE(Identify(kBrivel));
    EXPECT_EQ(identity_.imsi, "No SIM Inserted");
    EXPECT_EQ(identity_.phoneNumber, "N/A");
    EXPECT_EQ(identity_.serialNumber, "");
    EXPECT_EQ(identity_.signalQuality, 0);
}

class TrackerFlowTest : public AppFlowTest {
  protected:
    TrackerFlowTest() { options_.product = sim::Product::Korvane; }
};

TEST_F(TrackerFlowTest, TheTrackerHasNoMeshRadioDocument) {
    ASSERT_TRUE(Identify(kKorvane));
    EXPECT_EQ(documents_.ZelboDocument(), nullptr);
    EXPECT_NE(ReadSetting("device_info/model", documents_.StateNode()).find("Korvane"),
              std::string::npos);
}

class GatewayWithoutRadioTest : public AppFlowTest {
  protected:
    GatewayWithoutRadioTest() { options_.radio = false; }
};

TEST_F(GatewayWithoutRadioTest, TheMissingRadioModuleIsNoted) {
    ASSERT_TRUE(Identify(kBrivel));
    EXPECT_FALSE(documents_.ZelboPresent());
}

TEST_F(AppFlowTest, AnApnChangeReachesTheDeviceAndComesBack) {
    ASSERT_TRUE(Identify(kBrivel));
    WriteSetting("mobile_simple/apn", "fleet.example & co", documents_.SettingsNode());
    EXPECT_EQ(ApplySettings(executor_, documents_), ApplyOutcome::Applied);
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), "fleet.example & co");
    EXPECT_EQ(ReadSetting("mobile_simple/apn", documents_.SettingsNode()), "fleet.example & co");
}

TEST_F(AppFlowTest, AReadBackThatTimesOutKeepsTheSentDocument) {
    ASSERT_TRUE(Identify(kBrivel));
    WriteSetting("mobile_simple/apn", "kept.example", documents_.SettingsNode());
    ASSERT_TRUE(device_->AddFault("silent:<query_setting></query_setting>"));
    EXPECT_EQ(ApplySettings(executor_, documents_), ApplyOutcome::ReadBackFailed);
    EXPECT_EQ(ReadSetting("mobile_simple/apn", documents_.SettingsNode()), "kept.example");
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), "kept.example")
        << "the set itself went through";
}

TEST_F(AppFlowTest, NothingIsSentWithoutADocument) {
    device_->ClearReceivedCommands();
    EXPECT_EQ(ApplySettings(executor_, documents_), ApplyOutcome::NothingToSend);
    EXPECT_EQ(ApplyZelboSettings(executor_, documents_), ApplyOutcome::NothingToSend);
    EXPECT_TRUE(device_->ReceivedCommands().empty());
    EXPECT_EQ(documents_.SettingsDocument(), nullptr);
}

TEST_F(AppFlowTest, AMeshRadioChangeIsAppliedAndReadBack) {
    ASSERT_TRUE(Identify(kBrivel));
    const std::string before = ReadSetting("radio/join_time", documents_.ZelboNode());
    ASSERT_NE(before, "<unread>") << "the radio document binds radio/join_time";
    WriteSetting("radio/join_time", "60", documents_.ZelboNode());
    EXPECT_EQ(ApplyZelboSettings(executor_, documents_), ApplyOutcome::Applied);
    EXPECT_EQ(device_->RadioSetting("radio/join_time"), "60");
    EXPECT_EQ(ReadSetting("radio/join_time", documents_.ZelboNode()), "60");
}

TEST_F(AppFlowTest, UploadsOfEverySizeArriveIntactAsTheDigestShows) {
    for (size_t size : {0, 1, 64, 1024, 2112, 300000}) {
        const std::string name = "file" + std::to_string(size) + ".py";
        const std::string path = LocalFile(name, size, static_cast<unsigned>(size));
        executor_.RunUpload({path, false, false});
        std::string local;
        ASSERT_TRUE(FileMd5Hex(path, local));
        EXPECT_EQ(DeviceDigest("/WEB/python/" + name), local) << size << " bytes";
        EXPECT_EQ(device_->FileContents("/WEB/python/" + name), test::ReadWholeFile(path))
            << size << " bytes";
    }
}

// The device restarts with part of the file; the upload is made again on its
// return, and the digest shows the whole file.
TEST_F(AppFlowTest, AnUploadCutByAnUnplugIsMadeAgainAndTheDigestShowsIt) {
    const std::string path = LocalFile("cut.py", 5000, 7);
    ASSERT_TRUE(device_->AddFault("unplug-after-bytes:2000"));
    executor_.RunUpload({path, false, false});
    std::string local;
    ASSERT_TRUE(FileMd5Hex(path, local));
    EXPECT_EQ(DeviceDigest("/WEB/python/cut.py"), local);
}

TEST_F(AppFlowTest, ACorruptedStoredByteIsCaughtByTheDigest) {
    const std::string path = LocalFile("flip.py", 3000, 9);
    ASSERT_TRUE(device_->AddFault("corrupt-upload"));
    executor_.RunUpload({path, false, false});
    std::string local;
    ASSERT_TRUE(FileMd5Hex(path, local));
    EXPECT_NE(DeviceDigest("/WEB/python/flip.py"), local);
}

}  // namespace
}  // namespace merivane
