#include <gtest/gtest.h>

#include <string>

#include "settings/DocumentSerializer.h"
#include "settings/ElementSearch.h"
#include "settings/SettingPath.h"
#include "settings/XmlText.h"
#include "unit/SettingsTestSupport.h"

namespace merivane {
namespace {

constexpr char kSettings[] =
    "<rci_reply version=\"1.1\"><query_setting><mobile_simple><apn>internet</apn>"
    "</mobile_simple><serial index=\"1\"><baud>115200</baud></serial></query_setting>"
    "</rci_reply>";

constexpr char kState[] =
    "<rci_reply version=\"1.1\"><query_state><device_info><model>KV-200</model>"
    "<product>Korvane</product></device_info></query_state></rci_reply>";

constexpr char kZelbo[] =
    "<rci_reply version=\"1.1\"><do_command target=\"zigbee\"><query_setting><radio>"
    "<channel>11</channel></radio></query_setting></do_command></rci_reply>";

std::string RootName(xmlDoc* doc) { return std::string(NodeName(xmlDocGetRootElement(doc))); }

TEST(DocumentStore, StartsEmpty) {
    DocumentStore store;
    EXPECT_EQ(store.SettingsDocument(), nullptr);
    EXPECT_EQ(store.SettingsNode(), nullptr);
    EXPECT_EQ(store.StateDocument(), nullptr);
    EXPECT_EQ(store.ZelboDocument(), nullptr);
    EXPECT_TRUE(store.ZelboPresent());
}

TEST(DocumentStoreSettings, HeldAsSetRequest) {
    DocumentStore store;
    EXPECT_TRUE(store.LoadSettingsDocument(kSettings));
    ASSERT_NE(store.SettingsDocument(), nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(store.SettingsDocument()->URL), "setting.xml");
    EXPECT_EQ(RootName(store.SettingsDocument()), "rci_request");
    EXPECT_EQ(NodeName(store.SettingsNode()), "mobile_simple");
    EXPECT_EQ(NodeName(store.SettingsNode()->parent), "set_setting");
}

TEST(DocumentStoreSettings, TextAroundTheDocumentIsIgnored) {
    DocumentStore plain, wrapped;
    plain.LoadSettingsDocument(kSettings);
    wrapped.LoadSettingsDocument(std::string("garbage > before\r\n") + kSettings +
                                 "\r\nstatus line\r\nOK\r\n");
    ASSERT_NE(wrapped.SettingsDocument(), nullptr);
    EXPECT_EQ(SerializeForSending(wrapped.SettingsDocument()),
              SerializeForSending(plain.SettingsDocument()));
}

// Apply sends the settings document back whole: whatever else the answer held stays behind.
TEST(DocumentStoreSettings, OnlyTheSettingsOfAnAnswerAreKept) {
    DocumentStore plain, hostile;
    plain.LoadSettingsDocument(kSettings);
    std::string answer = kSettings;
    answer.insert(answer.find("</rci_reply>"),
                  "<set_factory_default/><do_command target=\"file_system\"><rm name=\"x\"/>"
                  "</do_command>");
    answer += "<!--\r\nat&usbinterface=20,\"<rci_request/>\"\r\n--><?pi x?>";
    hostile.LoadSettingsDocument("<!-- first -->" + answer);
    EXPECT_EQ(SerializeForSending(hostile.SettingsDocument()),
              SerializeForSending(plain.SettingsDocument()));
}

TEST(DocumentStoreSettings, AnswerWithoutDocumentEmptiesSlot) {
    for (const char* answer : {"", "no markup here", "<rci_reply><query_setting>", "ERROR"}) {
        SCOPED_TRACE(answer);
        DocumentStore store;
        store.LoadSettingsDocument(kSettings);
        EXPECT_TRUE(store.LoadSettingsDocument(answer));
        EXPECT_EQ(store.SettingsDocument(), nullptr);
        EXPECT_EQ(store.SettingsNode(), nullptr);
    }
}

TEST(DocumentStoreSettings, MissingQueryElementLeavesNullStartNode) {
    DocumentStore store;
    store.LoadSettingsDocument("<rci_reply><query_state><a/></query_state></rci_reply>");
    ASSERT_NE(store.SettingsDocument(), nullptr);
    EXPECT_EQ(RootName(store.SettingsDocument()), "rci_request");
    EXPECT_EQ(store.SettingsNode(), nullptr);
}

TEST(DocumentStoreSettings, QueryElementInCapitals) {
    DocumentStore store;
    store.LoadSettingsDocument("<REPLY>text<QUERY_SETTING><serial/></QUERY_SETTING></REPLY>");
    EXPECT_EQ(NodeName(store.SettingsNode()), "serial");
    EXPECT_EQ(SerializeForSending(store.SettingsDocument()),
              "<rci_request><set_setting><serial/></set_setting></rci_request>");
}

TEST(DocumentStoreSettings, EntityBombAndDeepNestingGiveEmptySlot) {
    DocumentStore store;
    store.LoadSettingsDocument(
        "<!DOCTYPE r [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
        "<r><query_setting><x>&b;</x></query_setting></r>");
    EXPECT_EQ(store.SettingsDocument(), nullptr);
    std::string deep = "<r><query_setting>";
    for (int i = 0; i < 300; ++i) deep += "<g>";
    for (int i = 0; i < 300; ++i) deep += "</g>";
    store.LoadSettingsDocument(deep + "</query_setting></r>");
    EXPECT_EQ(store.SettingsDocument(), nullptr);
}

TEST(DocumentStoreState, StartsInsideQueryStateAndKeepsNames) {
    DocumentStore store;
    EXPECT_TRUE(store.LoadStateDocument(std::string("AT\r\n") + kState + "\r\nOK"));
    ASSERT_NE(store.StateDocument(), nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(store.StateDocument()->URL), "state.xml");
    EXPECT_EQ(RootName(store.StateDocument()), "rci_reply");
    EXPECT_EQ(NodeName(store.StateNode()), "device_info");
    EXPECT_EQ(NodeName(store.StateNode()->parent), "query_state");
    EXPECT_EQ(NodeText(ResolveSettingPath(store.StateNode(), "device_info/model")), "KV-200");
}

TEST(DocumentStoreState, RemovesEveryAmpersand) {
    DocumentStore store;
    store.LoadStateDocument(
        "<r><query_state><device_info><model>A&B</model><desc>x&amp;y</desc></device_info>"
        "</query_state></r>");
    ASSERT_NE(store.StateNode(), nullptr);
    EXPECT_EQ(NodeText(ResolveSettingPath(store.StateNode(), "device_info/model")), "AB");
    EXPECT_EQ(NodeText(ResolveSettingPath(store.StateNode(), "device_info/desc")), "xamp;y");
}

TEST(DocumentStoreState, MissingQueryStateOrDocument) {
    DocumentStore store;
    store.LoadStateDocument("<r><other/></r>");
    EXPECT_NE(store.StateDocument(), nullptr);
    EXPECT_EQ(store.StateNode(), nullptr);
    store.LoadStateDocument("");
    EXPECT_EQ(store.StateDocument(), nullptr);
}

TEST(DocumentStoreZelbo, HeldAsSetRequestInsideDoCommand) {
    DocumentStore store;
    EXPECT_TRUE(store.LoadZelboDocument(kZelbo));
    ASSERT_NE(store.ZelboDocument(), nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(store.ZelboDocument()->URL), "zelbosetting.xml");
    EXPECT_EQ(NodeName(store.ZelboNode()), "radio");
    EXPECT_EQ(SerializeForSending(store.ZelboDocument()),
              "<rci_request version='1.1'><do_command target='zigbee'><set_setting><radio>"
              "<channel>11</channel></radio></set_setting></do_command></rci_request>");
}

TEST(DocumentStoreZelbo, NoModuleAnswerKeepsSlotAndClearsFlag) {
    DocumentStore store;
    store.LoadZelboDocument(kZelbo);
    xmlDoc* before = store.ZelboDocument();
    xmlNode* node = store.ZelboNode();
    EXPECT_FALSE(store.LoadZelboDocument(
        "<rci_reply><do_command target=\"zigbee\"><error>Currently not configured or supported"
        "</error></do_command></rci_reply>\r\nOK"));
    EXPECT_FALSE(store.ZelboPresent());
    EXPECT_EQ(store.ZelboDocument(), before);
    EXPECT_EQ(store.ZelboNode(), node);
    // A later good load does not set the flag again.
    EXPECT_TRUE(store.LoadZelboDocument(kZelbo));
    EXPECT_FALSE(store.ZelboPresent());
}

TEST(DocumentStoreZelbo, AnswerWithoutDocumentEmptiesSlot) {
    DocumentStore store;
    store.LoadZelboDocument(kZelbo);
    EXPECT_FALSE(store.LoadZelboDocument(""));
    EXPECT_EQ(store.ZelboDocument(), nullptr);
    EXPECT_EQ(store.ZelboNode(), nullptr);
    EXPECT_TRUE(store.ZelboPresent());
}

TEST(DocumentStoreZelbo, DocumentWithoutQuerySettingLoadsWithNullStartNode) {
    DocumentStore store;
    EXPECT_TRUE(store.LoadZelboDocument("<r><do_command><other/></do_command></r>"));
    EXPECT_NE(store.ZelboDocument(), nullptr);
    EXPECT_EQ(store.ZelboNode(), nullptr);
    EXPECT_TRUE(store.LoadZelboDocument("<r><query_setting><a/></query_setting></r>"));
    EXPECT_EQ(store.ZelboNode(), nullptr);
}

TEST(DocumentStoreReload, KeepsSentDocumentWhenReadBackIsUnusable) {
    DocumentStore store;
    store.LoadSettingsDocument(kSettings);
    xmlNode* apn = ResolveSettingPath(store.SettingsNode(), "mobile_simple/apn");
    SetNodeText(apn, "changed");
    xmlDoc* sent = store.SettingsDocument();
    for (const char* answer : {"", "garbage", "<r><other/></r>", "<r><query_setting>"}) {
        SCOPED_TRACE(answer);
        EXPECT_FALSE(store.ReloadSettingsDocument(answer));
        EXPECT_EQ(store.SettingsDocument(), sent);
        EXPECT_EQ(NodeText(ResolveSettingPath(store.SettingsNode(), "mobile_simple/apn")),
                  "changed");
    }
    EXPECT_TRUE(store.ReloadSettingsDocument(kSettings));
    EXPECT_EQ(NodeText(ResolveSettingPath(store.SettingsNode(), "mobile_simple/apn")), "internet");
}

TEST(DocumentStoreReload, ZelboKeepsSentDocumentWhenReadBackIsUnusable) {
    DocumentStore store;
    EXPECT_FALSE(store.ReloadZelboDocument("garbage"));
    EXPECT_EQ(store.ZelboDocument(), nullptr);
    store.LoadZelboDocument(kZelbo);
    xmlDoc* sent = store.ZelboDocument();
    EXPECT_FALSE(store.ReloadZelboDocument("timeout, nothing"));
    EXPECT_EQ(store.ZelboDocument(), sent);
    EXPECT_FALSE(store.ReloadZelboDocument("<r>Currently not configured or supported</r>"));
    EXPECT_EQ(store.ZelboDocument(), sent);
    EXPECT_FALSE(store.ZelboPresent());
    EXPECT_TRUE(store.ReloadZelboDocument(kZelbo));
    EXPECT_NE(store.ZelboNode(), nullptr);
}

TEST(DocumentStore, ClearFreesEverySlot) {
    DocumentStore store;
    store.LoadSettingsDocument(kSettings);
    store.LoadStateDocument(kState);
    store.LoadZelboDocument(kZelbo);
    store.Clear();
    EXPECT_EQ(store.SettingsDocument(), nullptr);
    EXPECT_EQ(store.StateNode(), nullptr);
    EXPECT_EQ(store.ZelboDocument(), nullptr);
}

TEST(DocumentSearch, FindsChildrenAndFollowingSiblingsByTypeAndName) {
    DocumentStore store;
    store.LoadStateDocument("<r><query_state>t<A/><b>1</b><B>2</B><!--b--></query_state></r>");
    xmlNode* query = store.StateNode()->parent;
    xmlNode* first = FindChildElement(query, kElementNodeType, "B");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(NodeText(first), "1");
    xmlNode* second = FindNextElement(first, kElementNodeType, "b");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(NodeText(second), "2");
    EXPECT_EQ(FindNextElement(second, kElementNodeType, "b"), nullptr);
    EXPECT_EQ(FindChildElement(query, kElementNodeType, "missing"), nullptr);
    EXPECT_EQ(FindChildElement(query, XML_TEXT_NODE, "text"), store.StateNode());
    EXPECT_EQ(FindChildElement(nullptr, kElementNodeType, "b"), nullptr);
    EXPECT_EQ(FindNextElement(nullptr, kElementNodeType, "b"), nullptr);
}

}  // namespace
}  // namespace merivane
