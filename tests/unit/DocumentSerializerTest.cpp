#include <gtest/gtest.h>
#include <libxml/xmlmemory.h>

#include <string>

#include "settings/DocumentParser.h"
#include "settings/DocumentSerializer.h"
#include "settings/ElementSearch.h"
#include "settings/SettingPath.h"
#include "settings/XmlText.h"
#include "unit/SettingsTestSupport.h"

namespace merivane {
namespace {

// The sending text worked out step by step from the library's dump: drop the last
// byte, single quotes for double quotes from byte 22 on, and the 22-byte declaration
// removed. Documents without quotes in their values must come out exactly like this.
std::string StepByStep(xmlDoc* doc) {
    xmlChar* memory = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc, &memory, &size);
    std::string text(reinterpret_cast<const char*>(memory), size);
    xmlFree(memory);
    text.pop_back();
    for (size_t i = 22; i < text.size(); ++i) {
        if (text[i] == '"') text[i] = '\'';
    }
    if (text.find("<?xml version=\"1.0\"?>") != std::string::npos) text.erase(0, 22);
    return text;
}

TEST(DocumentSerializer, PlainSettingsDocumentExactBytes) {
    DocumentStore store;
    store.LoadSettingsDocument(
        "<rci_reply version=\"1.1\"><query_setting><mobile_simple><apn>internet</apn><user/>"
        "</mobile_simple><serial index=\"1\" alt=\"a&amp;b &lt;c&gt;\"><baud>115200</baud>"
        "</serial></query_setting></rci_reply>\r\nOK\r\n");
    const std::string sent = SerializeForSending(store.SettingsDocument());
    EXPECT_EQ(sent,
              "<rci_request version='1.1'><set_setting><mobile_simple><apn>internet</apn><user/>"
              "</mobile_simple><serial index='1' alt='a&amp;b &lt;c&gt;'><baud>115200</baud>"
              "</serial></set_setting></rci_request>");
    EXPECT_EQ(sent, StepByStep(store.SettingsDocument()));
}

TEST(DocumentSerializer, SameBytesAsStepByStepForDocumentsWithoutQuotesInValues) {
    const std::string replies[] = {
        test::kSettingsReply,
        "<r>\n  <query_setting>\n    <a x=\"1\" y=\"&gt;\">t &amp; u</a>\n  </query_setting>\n</r>",
        "<r><query_setting><!-- note --><a/><?pi data?></query_setting></r>",
        "<r><query_setting><a>caf\xc3\xa9</a></query_setting></r>",
    };
    for (const std::string& reply : replies) {
        SCOPED_TRACE(reply);
        DocumentStore store;
        store.LoadSettingsDocument(reply);
        ASSERT_NE(store.SettingsDocument(), nullptr);
        const std::string sent = SerializeForSending(store.SettingsDocument());
        EXPECT_EQ(sent, StepByStep(store.SettingsDocument()));
        EXPECT_TRUE(sent.starts_with("<rci_request"));
        EXPECT_NE(sent.find("<set_setting>"), std::string::npos);
        EXPECT_FALSE(sent.ends_with("\n"));
        EXPECT_EQ(sent.find('"'), std::string::npos);
    }
}

// Quotes inside values must not be turned into delimiters: the device reads back the
// values the pages stored.
TEST(DocumentSerializer, QuotesInValuesSurvive) {
    DocumentStore store;
    store.LoadSettingsDocument(
        "<r><query_setting><g name=\"it's &quot;x&quot;\"><apn>a</apn></g></query_setting></r>");
    xmlNode* apn = ResolveSettingPath(store.SettingsNode(), "g/apn");
    SetNodeText(apn, "say \"hi\" it's");
    const std::string sent = SerializeForSending(store.SettingsDocument());
    EXPECT_EQ(sent,
              "<rci_request><set_setting><g name='it&apos;s &quot;x&quot;'>"
              "<apn>say &quot;hi&quot; it's</apn></g></set_setting></rci_request>");

    XmlDocPtr received = ParseDocumentText(sent, "received");
    ASSERT_NE(received, nullptr);
    xmlNode* set =
        FindChildElement(xmlDocGetRootElement(received.get()), kElementNodeType, "set_setting");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(NodeText(ResolveSettingPath(set->children, "g/apn")), "say \"hi\" it's");
    std::string name;
    EXPECT_TRUE(AttributeText(FindChildElement(set, kElementNodeType, "g"), "name", name));
    EXPECT_EQ(name, "it's \"x\"");
}

TEST(DocumentSerializer, ReplyWithOwnDeclarationLosesIt) {
    for (const char* declaration :
         {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<?xml version='1.0' encoding='utf-8'?>",
          "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>"}) {
        SCOPED_TRACE(declaration);
        DocumentStore store;
        store.LoadSettingsDocument(std::string(declaration) +
                                   "\n<rci_reply version=\"1.1\"><query_setting><a>1</a>"
                                   "</query_setting></rci_reply>");
        EXPECT_EQ(SerializeForSending(store.SettingsDocument()),
                  "<rci_request version='1.1'><set_setting><a>1</a></set_setting></rci_request>");
    }
}

TEST(DocumentSerializer, StartsAtRootElement) {
    DocumentStore store;
    store.LoadSettingsDocument(
        "<!DOCTYPE rci_reply><!-- before \"x\" --><?pi a=\"b\"?><rci_reply><query_setting/>"
        "</rci_reply><!-- after -->");
    EXPECT_EQ(SerializeForSending(store.SettingsDocument()),
              "<rci_request><set_setting/></rci_request>\n<!-- after -->");
}

TEST(DocumentSerializer, CommentsAndCDataUnchanged) {
    DocumentStore store;
    store.LoadSettingsDocument(
        "<r><query_setting><!-- a \"b\" 'c' --><s><![CDATA[x \"y\" <z>]]></s></query_setting>"
        "</r>");
    EXPECT_EQ(SerializeForSending(store.SettingsDocument()),
              "<rci_request><set_setting><!-- a \"b\" 'c' --><s><![CDATA[x \"y\" <z>]]></s>"
              "</set_setting></rci_request>");
}

TEST(DocumentSerializer, NothingToSendWithoutDocument) {
    EXPECT_EQ(SerializeForSending(nullptr), "");
    EXPECT_EQ(RewriteDumpForSending("<?xml version=\"1.0\"?>\n"), "");
}

TEST(DocumentSerializer, RewriteOfDumpText) {
    EXPECT_EQ(RewriteDumpForSending("<?xml version=\"1.0\"?>\n<a b=\"1'2\" c='3'>\"t'</a>"),
              "<a b='1&apos;2' c='3'>&quot;t'</a>");
    EXPECT_EQ(RewriteDumpForSending("<a b=\"x>y\">z</a>"), "<a b='x>y'>z</a>");
}

}  // namespace
}  // namespace merivane
