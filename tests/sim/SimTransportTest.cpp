// The simulated device driven through the tool's real transport over its
// pseudo-terminal: identification, both request framings, settings that
// change, files going up and coming back, firmware update and reboot.

#include <gtest/gtest.h>
#include <libxml/tree.h>

#include <atomic>
#include <string>

#include "SimTestSupport.h"
#include "link/UploadEngine.h"
#include "support/Base64.h"
#include "support/FileMd5Hex.h"

namespace merivane::sim {
namespace {

using testing::Doc;
using testing::Inline;
using testing::ParseAnswerDocument;
using testing::Request;
using testing::TwoPart;

const std::string kQueryAllSettings = Inline(Request("<query_setting></query_setting>"));
const std::string kQueryAllState = Inline(Request("<query_state/>"));

xmlNode* FirstElementChild(xmlNode* node) {
    for (xmlNode* child = node ? node->children : nullptr; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) return child;
    }
    return nullptr;
}

std::string NameOf(const xmlNode* node) {
    return node ? reinterpret_cast<const char*>(node->name) : "";
}

// Removes every "&", as the tool does with state answers.
std::string WithoutAmpersands(std::string text) {
    std::erase(text, '&');
    return text;
}

// The settings answer turned into a set request the way the tool holds and
// sends it: root renamed, query element renamed, attributes single-quoted.
std::string AsSetRequest(std::string answer) {
    answer = answer.substr(answer.find('<'), answer.rfind('>') - answer.find('<') + 1);
    auto replaceAll = [&](const std::string& from, const std::string& to) {
        for (size_t at = answer.find(from); at != std::string::npos;
             at = answer.find(from, at + to.size())) {
            answer.replace(at, from.size(), to);
        }
    };
    replaceAll("rci_reply", "rci_request");
    replaceAll("query_setting>", "set_setting>");
    replaceAll("\"", "'");
    return answer;
}

class SimTransportTest : public testing::SimDeviceFixture {
  protected:
    // Uploads a local file with the tool's upload engine.
    void Upload(const std::string& localPath, bool firmware = false, bool mesh = false) {
        std::atomic<int> finished{0};
        UploadFile(transport_, UploadSource{localPath, firmware, mesh}, nullptr, finished);
    }
    std::string Digest(const std::string& devicePath) {
        std::string digest = Ask("at&usbinterface=41,\"" + devicePath + "\"\r\n", nullptr, 20000);
        std::erase(digest, '\r');
        std::erase(digest, '\n');
        return digest;
    }
    static std::string LocalDigest(const std::string& path) {
        std::string hex;
        EXPECT_TRUE(FileMd5Hex(path, hex));
        return hex;
    }
};

TEST_F(SimTransportTest, IdentificationCommandsGiveModemAnswers) {
    Start();
    struct Case {
        const char* command;
        const char* parsed;
    };
    const Case cases[] = {
        {"AT\r\n", ""},
        {"at\r\n", ""},
        {"AT+CSQ\r\n", "+CSQ: 17,99"},
        {"AT+CREG?\r\n", "+CREG: 0,1"},
        {"AT+CNUM\r\n", "+CNUM: \"Line 1\",\"+15551234567\",145"},
        {"AT+CGMI\r\n", "Varik International"},
    };
    for (const Case& c : cases) {
        bool ok = false;
        EXPECT_EQ(Ask(c.command, &ok), c.parsed) << c.command;
        EXPECT_TRUE(ok) << c.command;
    }
    for (const char* command : {"AT+CGSN\r\n", "AT+CIMI\r\n"}) {
        const std::string number = Ask(command);
        EXPECT_EQ(number.size(), 15u) << command;
        EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << command;
    }
    EXPECT_NE(Ask("ATI9\r\n").find("Brivel"), std::string::npos);
    EXPECT_FALSE(Ask("AT+CGMR\r\n").empty());
    bool ok = true;
    Ask("AT+BOGUS\r\n", &ok);
    EXPECT_FALSE(ok);
}

TEST_F(SimTransportTest, WithoutSimImsiAndNumberAnswerError) {
    DeviceOptions options = BaseOptions();
    options.sim = false;
    Start(options);
    for (const char* command : {"AT+CIMI\r\n", "AT+CNUM\r\n"}) {
        bool ok = true;
        Ask(command, &ok);
        EXPECT_FALSE(ok) << command;
    }
    bool ok = false;
    Ask("AT+CSQ\r\n", &ok);
    EXPECT_TRUE(ok);
}

TEST_F(SimTransportTest, InlineSettingsAnswerHoldsQueryElementWithGroupsAsFirstChildren) {
    Start();
    bool ok = false;
    const std::string answer = Ask(kQueryAllSettings, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(answer.find("> <"), std::string::npos);
    EXPECT_EQ(answer.find(">\n<"), std::string::npos);
    Doc doc = ParseAnswerDocument(answer);
    ASSERT_TRUE(doc);
    xmlNode* root = xmlDocGetRootElement(doc.get());
    xmlNode* query = FirstElementChild(root);
    ASSERT_EQ(NameOf(query), "query_setting");
    // The first child (not merely the first element) is a group: no white space.
    ASSERT_NE(query->children, nullptr);
    EXPECT_EQ(NameOf(query->children), "mobile_simple");
    for (const char* group : {"mgmtconnection", "serial", "telnet_server", "tcp_server",
                              "ssh_server", "securesocket", "udp_server", "python"}) {
        EXPECT_NE(answer.find(std::string("<") + group), std::string::npos) << group;
    }
    EXPECT_NE(answer.find("<mgmtconnection index=\"3\">"), std::string::npos);
    EXPECT_NE(answer.find("<serverAddress>en://"), std::string::npos);
    EXPECT_EQ(answer.find("<obd>"), std::string::npos);
}

TEST_F(SimTransportTest, StateAnswerCarriesARawAmpersandAndParsesWithoutIt) {
    Start();
    const std::string answer = Ask(kQueryAllState);
    EXPECT_NE(answer.find(" & "), std::string::npos);
    EXPECT_FALSE(ParseAnswerDocument(answer));
    Doc doc = ParseAnswerDocument(WithoutAmpersands(answer));
    ASSERT_TRUE(doc);
    EXPECT_EQ(NameOf(FirstElementChild(xmlDocGetRootElement(doc.get()))), "query_state");
    for (const char* text :
         {"<product>Brivel</product>", "<model>", "<firmware>", "<firmwaresoftrevstr>", "<iccid>",
          "<quality max=\"3\">", "<ip_address>", "<zigbee_state>"}) {
        EXPECT_NE(answer.find(text), std::string::npos) << text;
    }
}

TEST_F(SimTransportTest, NarrowQueriesAnswerOnlyWhatTheyName) {
    Start();
    EXPECT_NE(Ask(Inline(Request("<query_setting><python><state/></python></query_setting>")))
                  .find("<query_setting><python><state>off</state></python></query_setting>"),
              std::string::npos);
    const std::string product =
        Ask(Inline(Request("<query_state><device_info><product/></device_info></query_state>")));
    EXPECT_NE(
        product.find(
            "<query_state><device_info><product>Brivel</product></device_info></query_state>"),
        std::string::npos);
    EXPECT_EQ(product.find("<model>"), std::string::npos);
}

TEST_F(SimTransportTest, TwoPartRequestsWorkWithAndWithoutLineEnd) {
    Start();
    const std::string list =
        Request("<do_command target='file_system'><ls dir='/WEB/python'/></do_command>");
    bool ok = false;
    const std::string listed = TwoPart(transport_, list, &ok);
    EXPECT_TRUE(ok);
    EXPECT_NE(listed.find("<file name=\"python.zip\" size=\""), std::string::npos);

    const std::string get = Request(
                                "<do_command target='file_system'><get_file "
                                "name='/WEB/python/main.py'/></do_command>") +
                            "\r\n";
    const std::string got = TwoPart(transport_, get, &ok);
    EXPECT_TRUE(ok);
    // The echo (with its line end) was recognised and removed.
    EXPECT_EQ(got.rfind("<rci_reply", 0), 0u);
    EXPECT_EQ(device_->ReceivedCommands().back(), get.substr(0, get.size() - 2));
}

TEST_F(SimTransportTest, SetSettingChangesExactlyTheGivenElementsAndTheQueryShowsIt) {
    Start();
    std::string set = AsSetRequest(Ask(kQueryAllSettings));
    auto change = [&](const std::string& from, const std::string& to) {
        const size_t at = set.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        set.replace(at, from.size(), to);
    };
    change("<apn>broadband.varik.example</apn>", "<apn>fleet.example</apn>");
    change("<connectionEnabled>off</connectionEnabled>",
           "<connectionEnabled>on</connectionEnabled>");
    change("<python>", "<python><no_such_element>1</no_such_element>");
    change("</set_setting>", "<no_such_group><x>1</x></no_such_group></set_setting>");
    bool ok = false;
    TwoPart(transport_, set, &ok);
    EXPECT_TRUE(ok);

    const std::string after = Ask(kQueryAllSettings);
    EXPECT_NE(after.find("<apn>fleet.example</apn>"), std::string::npos);
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), "fleet.example");
    EXPECT_EQ(device_->Setting("mgmtconnection&index=3/connectionEnabled"), "on");
    EXPECT_EQ(device_->Setting("mgmtconnection/connectionEnabled"), "on");
    EXPECT_EQ(device_->Setting("mgmtconnection/ServerArray&index=1/serverAddress"),
              "en://devices.varik.example");
    EXPECT_EQ(after.find("no_such"), std::string::npos);

    // A narrow set changes its one element and nothing else.
    Ask(Inline(Request("<set_setting><python><state>on</state></python></set_setting>")), &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(device_->AutostartOn());
    EXPECT_EQ(device_->Setting("python/command"), "main.py");
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), "fleet.example");
}

TEST_F(SimTransportTest, FactoryDefaultRestoresTheSettings) {
    Start();
    ASSERT_TRUE(device_->SetSetting("mobile_simple/apn", "changed"));
    bool ok = false;
    Ask(Inline(Request("<set_factory_default/>")), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), "broadband.varik.example");
}

TEST_F(SimTransportTest, UploadThenDigestMatchesTheLocalFile) {
    Start();
    std::string data;
    for (int i = 0; i < 2112; ++i) data += static_cast<char>(i * 7 + (i >> 8));
    data += std::string("\x11\x13\r\n\0end", 8);
    const std::string local = folder_.WriteFile("tool.py", data);
    Upload(local);
    EXPECT_EQ(device_->FileContents("/WEB/python/tool.py"), data);
    EXPECT_EQ(Digest("/WEB/python/tool.py"), LocalDigest(local));

    const std::string empty = folder_.WriteFile("empty.py", "");
    Upload(empty);
    EXPECT_EQ(device_->FileContents("/WEB/python/empty.py"), "");

    bool ok = true;
    Ask("at&usbinterface=41,\"/WEB/python/missing.py\"\r\n", &ok);
    EXPECT_FALSE(ok);
}

TEST_F(SimTransportTest, UploadStepsOutOfOrderAreRefused) {
    Start();
    bool ok = true;
    Ask("AT&USBINTERFACE=5\r\n", &ok);
    EXPECT_FALSE(ok);
    Ask("AT&USBINTERFACE=17,10\r\n", &ok);
    EXPECT_TRUE(ok);
    Ask("AT&USBINTERFACE=3,11\r\n", &ok);
    EXPECT_FALSE(ok);
    Ask("AT&USBINTERFACE=9,/WEB/python/../../etc/x\r\n", &ok);
    EXPECT_FALSE(ok);
}

TEST_F(SimTransportTest, GetFileRoundTripAndRemove) {
    Start();
    std::string data;
    for (int i = 0; i < 5000; ++i) data += static_cast<char>((i * 131) & 0xff);
    ASSERT_TRUE(device_->PutFile("/WEB/python/blob.bin", data));

    const std::string answer =
        TwoPart(transport_, Request("<do_command target='file_system'><get_file "
                                    "name='/WEB/python/blob.bin'/></do_command>") +
                                "\r\n");
    Doc doc = ParseAnswerDocument(answer);
    ASSERT_TRUE(doc);
    xmlNode* doCommand = FirstElementChild(xmlDocGetRootElement(doc.get()));
    xmlNode* get = FirstElementChild(doCommand);
    ASSERT_EQ(NameOf(get), "get_file");
    xmlNode* content = FirstElementChild(get);
    ASSERT_EQ(NameOf(content), "data");
    xmlChar* size = xmlGetProp(content, reinterpret_cast<const xmlChar*>("size"));
    xmlChar* encode = xmlGetProp(content, reinterpret_cast<const xmlChar*>("encode"));
    xmlChar* text = xmlNodeGetContent(content);
    EXPECT_STREQ(reinterpret_cast<const char*>(size), "5000");
    EXPECT_STREQ(reinterpret_cast<const char*>(encode), "base64");
    EXPECT_EQ(Base64DecodeToString(reinterpret_cast<const char*>(text)), data);
    xmlFree(size);
    xmlFree(encode);
    xmlFree(text);

    const std::string remove =
        Request("<do_command target='file_system'><rm name='/WEB/python/blob.bin'/></do_command>");
    EXPECT_EQ(TwoPart(transport_, remove).find("<error"), std::string::npos);
    EXPECT_FALSE(device_->FileContents("/WEB/python/blob.bin"));
    EXPECT_NE(TwoPart(transport_, remove).find("<error"), std::string::npos);
    const std::string listed =
        TwoPart(transport_,
                Request("<do_command target='file_system'><ls dir='/WEB/python'/></do_command>"));
    EXPECT_EQ(listed.find("blob.bin"), std::string::npos);
}

TEST_F(SimTransportTest, FirmwareUpdateDropsThePortAndComesBackWithTheImageVersion) {
    Start();
    const std::string image = folder_.WriteFile(
        "new.bin", std::string(3000, '\x5a') + "version=4.1.0\n" + std::string(500, '\x01'));
    Upload(image, /*firmware=*/true);
    ASSERT_EQ(Digest("/fw/updatefw.dwl"), LocalDigest(image));

    const std::string update = "at&usbinterface=110\r\n";
    std::string raw;
    ASSERT_NE(transport_.SendCommand(update), 0);
    ASSERT_TRUE(transport_.ReceiveResponse(update, raw, Transport::kAnswerBufferSize, 300000, true,
                                           nullptr));
    EXPECT_EQ(device_->PlugCount(), 2u);
    EXPECT_TRUE(raw.starts_with(update));

    bool ok = false;
    Ask("at\r\n", &ok, 1000);
    EXPECT_TRUE(ok);
    const std::string state = Ask(kQueryAllState, nullptr, 40000);
    EXPECT_NE(state.find("<firmware>4.1.0</firmware>"), std::string::npos);
    EXPECT_NE(state.find("<firmwaresoftrevstr>Version 4.1.0</firmwaresoftrevstr>"),
              std::string::npos);
    EXPECT_FALSE(device_->FileContents("/fw/updatefw.dwl"));
}

TEST_F(SimTransportTest, FirmwareUpdateWithoutImageIsRefused) {
    Start();
    bool ok = true;
    Ask("at&usbinterface=110\r\n", &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(device_->PlugCount(), 1u);
}

TEST_F(SimTransportTest, RebootDropsThePortAndKeepsTheSettings) {
    Start();
    ASSERT_TRUE(device_->SetSetting("mobile_simple/apn", "kept.example"));
    bool ok = false;
    Ask("at+CFUN=1\r\n", &ok, 1000);
    EXPECT_TRUE(ok);
    ASSERT_TRUE(device_->WaitForPlugCount(2, 10000));

    // The transport finds the device again behind the same link.
    EXPECT_EQ(Ask("AT+CSQ\r\n"), "+CSQ: 17,99");
    EXPECT_EQ(device_->Setting("mobile_simple/apn"), "kept.example");
}

TEST_F(SimTransportTest, MeshRadioSettingsAndFirmwareUpdate) {
    Start();
    const std::string query =
        Inline(Request("<do_command target='zigbee'><query_setting/></do_command>"));
    const std::string answer = Ask(query);
    EXPECT_NE(answer.find("<do_command target=\"zigbee\"><query_setting><radio>"),
              std::string::npos);

    bool ok = false;
    TwoPart(
        transport_,
        Request("<do_command target='zigbee'><set_setting><radio><join_time>30</join_time></radio>"
                "</set_setting></do_command>"),
        &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(device_->RadioSetting("radio/join_time"), "30");
    EXPECT_EQ(device_->RadioSetting("radio/scan_duration"), "3");

    const std::string image = folder_.WriteFile("radio.ebl", "EBL image version=0x3107 body");
    Upload(image, false, /*mesh=*/true);
    EXPECT_EQ(Digest("/WEB/mesh/radio.ebl"), LocalDigest(image));
    Ask(Inline(Request("<do_command target='zigbee'><fw_update file='radio.ebl'/></do_command>")),
        &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(device_->StateValue("zigbee_state/firmware_version"), "0x3107");
}

TEST_F(SimTransportTest, GatewayWithoutRadioModuleSaysSoInsideADocument) {
    DeviceOptions options = BaseOptions();
    options.radio = false;
    Start(options);
    const std::string answer =
        Ask(Inline(Request("<do_command target='zigbee'><query_setting/></do_command>")));
    const std::string inside =
        answer.substr(answer.find('<'), answer.rfind('>') - answer.find('<') + 1);
    EXPECT_NE(inside.find("Currently not configured or supported"), std::string::npos);
    EXPECT_TRUE(ParseAnswerDocument(answer));
    EXPECT_EQ(Ask(kQueryAllState).find("zigbee_state"), std::string::npos);
}

TEST_F(SimTransportTest, TrackerReportsItselfAndKeepsVehicleValues) {
    DeviceOptions options = BaseOptions();
    options.product = Product::Korvane;
    Start(options);
    EXPECT_NE(
        Ask(Inline(Request("<query_state><device_info><product/></device_info></query_state>")))
            .find("Korvane"),
        std::string::npos);
    EXPECT_NE(device_->StateValue("device_info/model").value_or("").find("Korvane"),
              std::string::npos);
    const std::string settings = Ask(kQueryAllSettings);
    for (const char* path : {"<odometer>", "<fuel>", "<displacement>", "<idle_time>"}) {
        EXPECT_NE(settings.find(path), std::string::npos) << path;
    }
    const std::string state = Ask(kQueryAllState);
    EXPECT_NE(state.find("<quality max=\"5\">"), std::string::npos);
    EXPECT_EQ(state.find("zigbee_state"), std::string::npos);
}

}  // namespace
}  // namespace merivane::sim
