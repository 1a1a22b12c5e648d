#include <gtest/gtest.h>

#include "settings/DocumentParser.h"
#include "settings/DocumentSerializer.h"
#include "settings/SecretSettings.h"
#include "settings/SettingsRequest.h"

namespace merivane {
namespace {

constexpr char kGroups[] =
    "<mobile_simple><apn>a</apn><password>p w</password></mobile_simple>"
    "<serial index=\"1\"><baud>9600</baud></serial>";

std::string Request(const std::string& inside, const std::string& around = "") {
    return "<?xml version=\"1.0\"?>\n<rci_request version=\"1.1\">" + inside + "</rci_request>" +
           around;
}

TEST(SettingsRequest, OnlyARequestThatHoldsNothingButSettingsIsABackup) {
    const std::string settings = std::string("<set_setting>") + kGroups + "</set_setting>";
    const std::pair<std::string, bool> cases[] = {
        {Request(settings), true},
        {Request("\n  " + settings + "\n"), true},
        {Request("<set_setting>\n <serial>\n  <baud>1</baud>\n </serial>\n</set_setting>"), true},
        {Request(settings + "<set_factory_default/>"), false},
        {Request(settings + "<do_command target='file_system'><rm name='/WEB/python/x'/>"
                            "</do_command>"),
         false},
        {Request(settings + settings), false},
        {Request(settings, "<!--\r\nat&usbinterface=20,\"<rci_request/>\"\r\n-->"), false},
        {Request(settings, "<?pi next?>"), false},
        {"<!-- before --><rci_request version=\"1.1\">" + settings + "</rci_request>", false},
        {Request("text" + settings), false},
        {Request("<set_setting><serial><!-- c --><baud>1</baud></serial></set_setting>"), false},
        {Request("<set_setting><serial><?pi x?></serial></set_setting>"), false},
        {"<rci_reply>" + settings + "</rci_reply>", false},
        {Request("<query_setting/>"), false},
    };
    for (const auto& [text, pure] : cases) {
        const XmlDocPtr document = ParseDocumentText(text, "backup.cfg");
        ASSERT_NE(document, nullptr) << text;
        EXPECT_EQ(IsPureSettingsRequest(document.get()), pure) << text;
    }
}

TEST(SettingsRequest, AFreshRequestCarriesTheGroupsOnlyOnOneLine) {
    const XmlDocPtr answer = ParseDocumentText(
        "<rci_request version=\"1.1\"><set_setting>\n <mobile_simple>\n  <apn>a</apn>\n"
        "  <password>p w</password><!-- c -->\n </mobile_simple>\n <serial index=\"1\">"
        "<?pi x?><baud>9600</baud></serial>\n</set_setting><set_factory_default/>"
        "</rci_request><!--\r\nat&usbinterface=20,\"x\"\r\n-->",
        "answer.xml");
    const XmlDocPtr fresh = BuildSettingsRequest(SetSettingElement(answer.get()));
    EXPECT_EQ(SerializeForSending(fresh.get()),
              std::string("<rci_request version='1.1'><set_setting>") +
                  "<mobile_simple><apn>a</apn><password>p w</password></mobile_simple>"
                  "<serial index='1'><baud>9600</baud></serial></set_setting></rci_request>");
    EXPECT_TRUE(IsPureSettingsRequest(fresh.get()));
    EXPECT_EQ(BuildSettingsRequest(nullptr), nullptr);
}

TEST(SecretSettings, PasswordsAndPinsAreSecretWhereverTheyStand) {
    const std::pair<const char*, bool> cases[] = {
        {"mobile_simple/password", true},  {"mobile_simple/pin", true},
        {"mobile_simple/PIN", true},       {"wifi&index=2/wpa_passphrase", true},
        {"mgmt/serverPassword", true},     {"mobile_simple/apn", false},
        {"mobile_simple/pin/next", false}, {"spinning/speed", false},
        {"pin&name=x/state", false},       {"", false},
    };
    for (const auto& [path, secret] : cases) EXPECT_EQ(IsSecretSetting(path), secret) << path;
    EXPECT_EQ(ShownSettingValue("mobile_simple/pin", "1234"), kSecretMask);
    EXPECT_EQ(ShownSettingValue("mobile_simple/pin", ""), "");
    EXPECT_EQ(ShownSettingValue("mobile_simple/apn", "x"), "x");
}

}  // namespace
}  // namespace merivane
