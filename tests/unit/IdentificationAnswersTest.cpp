#include <gtest/gtest.h>

#include "app/Identification.h"
#include "app/Product.h"
#include "settings/DocumentStore.h"

namespace merivane {
namespace {

TEST(IdentificationAnswersTest, ModemAnswerRules) {
    EXPECT_EQ(PhoneNumberFromAnswer("+CNUM: \"Line 1\",\"+15551234567\",145"), "+15551234567");
    EXPECT_EQ(PhoneNumberFromAnswer("+CNUM: \"+15551234567\""), " +15551234567");
    EXPECT_EQ(PhoneNumberFromAnswer(""), "");
    EXPECT_EQ(SignalQualityFromAnswer("+CSQ: 17,99"), 17);
    EXPECT_EQ(SignalQualityFromAnswer("+CSQ: 99,99"), 99);
    EXPECT_EQ(SignalQualityFromAnswer(""), 0);
    EXPECT_EQ(SignalQualityFromAnswer("garbage"), 0);
    EXPECT_EQ(RegistrationFromAnswer("+CREG: 0,1"), 1);
    EXPECT_EQ(RegistrationFromAnswer("+CREG: 0,5"), 5);
    EXPECT_EQ(RegistrationFromAnswer("+CREG: 2"), 2);
}

TEST(IdentificationAnswersTest, TheTrackerIsNotAskedForTheMeshRadio) {
    EXPECT_EQ(IdentificationCommands(kKorvane).size(), 11u);
    const CommandList gateway = IdentificationCommands(kBrivel);
    ASSERT_EQ(gateway.size(), 12u);
    EXPECT_EQ(gateway.back().command,
              "at&usbinterface=20,\"<rci_request version='1.1'><do_command "
              "target='zigbee'><query_setting/>"
              "</do_command></rci_request>\"\r\n");
    EXPECT_EQ(gateway.back().timeout, 10000);
}

CommandList Answered(const std::string& product, std::vector<std::pair<std::string, int>> answers) {
    CommandList list = IdentificationCommands(product);
    for (size_t i = 0; i < list.size() && i < answers.size(); ++i) {
        list[i].result = answers[i].first;
        list[i].failed = answers[i].second;
    }
    return list;
}

const std::string kSettings =
    "<rci_reply version='1.1'><query_setting><mobile_simple><apn>internet</apn></mobile_simple>"
    "</query_setting></rci_reply>";
const std::string kState =
    "<rci_reply version='1.1'><query_state><device_info><product>Brivel</product>"
    "<model>Brivel & Co</model></device_info></query_state></rci_reply>";

TEST(IdentificationAnswersTest, FailedAtCommandsStillIdentifyTheDevice) {
    DeviceIdentity identity;
    DocumentStore documents;
    CommandList list = Answered(kKorvane, {{"", 1},
                                           {"", 1},
                                           {"", 1},
                                           {"left over", 1},
                                           {"", 1},
                                           {"", 1},
                                           {"", 1},
                                           {"", 1},
                                           {"", 1},
                                           {kSettings, 0},
                                           {kState, 0}});
    EXPECT_TRUE(ReadIdentificationAnswers(list, kKorvane, identity, documents));
    EXPECT_EQ(identity.modemMaker, "Varik International");
    EXPECT_EQ(identity.imsi, "No SIM Inserted");
    EXPECT_EQ(identity.phoneNumber, "N/A");
    EXPECT_EQ(identity.serialNumber, "left over");
    EXPECT_NE(documents.SettingsNode(), nullptr);
    EXPECT_NE(documents.StateNode(), nullptr)
        << "the raw & in the state answer must not lose the document";
    EXPECT_EQ(documents.ZelboDocument(), nullptr);
}

TEST(IdentificationAnswersTest, OnlyAnEmptySettingsOrStateAnswerFailsAndStopsTheWalk) {
    DeviceIdentity identity;
    DocumentStore documents;
    CommandList list = Answered(kBrivel, {{"", 0},
                                          {"", 0},
                                          {"", 0},
                                          {"", 0},
                                          {"", 0},
                                          {"", 0},
                                          {"", 0},
                                          {"", 0},
                                          {"", 0},
                                          {kSettings, 0},
                                          {"", 0},
                                          {"<x>Currently not configured or supported</x>", 0}});
    EXPECT_FALSE(ReadIdentificationAnswers(list, kBrivel, identity, documents));
    EXPECT_NE(documents.SettingsNode(), nullptr)
        << "the settings were loaded before the walk stopped";
    EXPECT_TRUE(documents.ZelboPresent())
        << "the mesh radio answer after the failure is not looked at";

    list[9].result.clear();
    EXPECT_FALSE(ReadIdentificationAnswers(list, kBrivel, identity, documents));

    // Answers that hold no document identify the device all the same, with those slots empty.
    list[9].result = "garbage <not a document";
    list[10].result = "<unclosed>";
    EXPECT_TRUE(ReadIdentificationAnswers(list, kBrivel, identity, documents));
    EXPECT_EQ(documents.SettingsDocument(), nullptr);
    EXPECT_EQ(documents.StateDocument(), nullptr);
}

TEST(IdentificationAnswersTest, AGatewayWithoutRadioModuleIsMarked) {
    DeviceIdentity identity;
    DocumentStore documents;
    CommandList list = Answered(kBrivel, {{"", 0},
                                          {"", 0},
                                          {"", 0},
                                          {"", 0},
                                          {"", 0},
                                          {"+15551", 0},
                                          {"+CSQ: 9,99", 0},
                                          {"", 0},
                                          {"+CREG: 0,1", 0},
                                          {kSettings, 0},
                                          {kState, 0},
                                          {"<x>Currently not configured or supported</x>", 0}});
    EXPECT_TRUE(ReadIdentificationAnswers(list, kBrivel, identity, documents));
    EXPECT_FALSE(documents.ZelboPresent());
    EXPECT_EQ(identity.imsi, "+15551");
    EXPECT_EQ(identity.signalQuality, 9);
    EXPECT_EQ(identity.registration, 1);
}

}  // namespace
}  // namespace merivane
