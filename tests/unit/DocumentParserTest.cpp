#include <gtest/gtest.h>

#include <string>

#include "settings/DocumentParser.h"
#include "support/TempDir.h"

namespace merivane {
namespace {

TEST(DocumentParserCut, KeepsFirstOpeningToLastClosingBracket) {
    EXPECT_EQ(CutToMarkup("AT\r\n<a><b/></a>\r\nOK\r\n"), "<a><b/></a>");
    EXPECT_EQ(CutToMarkup("<a/>"), "<a/>");
    EXPECT_EQ(CutToMarkup("no markup at all"), "");
    EXPECT_EQ(CutToMarkup(""), "");
    EXPECT_EQ(CutToMarkup("> before <"), "");
    EXPECT_EQ(CutToMarkup("x <unclosed"), "");
    EXPECT_EQ(CutToMarkup("a > b <c> d"), "<c>");
}

TEST(DocumentParser, ParsesWellFormedTextAndNamesTheDocument) {
    XmlDocPtr doc = ParseDocumentText("<a x=\"1\"><b>t</b></a>", "setting.xml");
    ASSERT_NE(doc, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(doc->URL), "setting.xml");
    EXPECT_STREQ(reinterpret_cast<const char*>(xmlDocGetRootElement(doc.get())->name), "a");
}

TEST(DocumentParser, RefusesTextThatIsNotADocument) {
    for (const char* text : {"", "plain text", "<a><b></a>", "<a>&undeclared;</a>", "<a/><b/>",
                             "<a>\xff\xfe</a>", "<?xml version=\"1.0\"?>"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseDocumentText(text, "x.xml"), nullptr);
    }
}

TEST(DocumentParser, ParsesAnswerAroundStatusLines) {
    XmlDocPtr doc = ParseAnswerDocument("at&usbinterface=20,\"...\"\r\n<r><q/></r>\r\nOK", "s");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(ParseAnswerDocument("ERROR", "s"), nullptr);
}

// Documents that declare entities are refused before anything is expanded: the
// classic exponential one, parameter entities, external and unparsed entities.
TEST(DocumentParser, RefusesEntityDeclarations) {
    std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
    for (int level = 1; level <= 9; ++level) {
        bomb += "<!ENTITY lol" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i) {
            bomb += "&lol" + (level > 1 ? std::to_string(level - 1) : std::string()) + ";";
        }
        bomb += "\">";
    }
    bomb += "]><lolz>&lol9;</lolz>";

    const std::string cases[] = {
        bomb,
        "<!DOCTYPE a [<!ENTITY e \"x\">]><a/>",
        "<!DOCTYPE a [<!ENTITY % p \"x\">]><a/>",
        "<!DOCTYPE a [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><a>&e;</a>",
        "<!DOCTYPE a [<!NOTATION n SYSTEM \"n\"><!ENTITY u SYSTEM \"u\" NDATA n>]><a/>",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text.substr(0, 60));
        EXPECT_EQ(ParseDocumentText(text, "x.xml"), nullptr);
    }
}

TEST(DocumentParser, AcceptsDocumentTypeWithoutEntities) {
    EXPECT_NE(ParseDocumentText("<!DOCTYPE a><a/>", "x.xml"), nullptr);
    EXPECT_NE(ParseDocumentText("<!DOCTYPE a [<!ELEMENT a EMPTY>]><a/>", "x.xml"), nullptr);
}

std::string Nested(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<e>";
    for (int i = 0; i < depth; ++i) text += "</e>";
    return text;
}

TEST(DocumentParser, RefusesDeepNesting) {
    EXPECT_NE(ParseDocumentText(Nested(kMaxElementDepth), "x.xml"), nullptr);
    EXPECT_EQ(ParseDocumentText(Nested(kMaxElementDepth + 1), "x.xml"), nullptr);
    EXPECT_EQ(ParseDocumentText(Nested(200000), "x.xml"), nullptr);
}

TEST(DocumentParser, ParsesFiles) {
    test::TempDir dir;
    test::WriteWholeFile(dir.File("backup.cfg"),
                         "<?xml version=\"1.0\"?>\n<rci_request><set_setting/></rci_request>\n");
    test::WriteWholeFile(dir.File("broken.cfg"), "<rci_request>");
    EXPECT_NE(ParseDocumentFile(dir.File("backup.cfg"), 1000), nullptr);
    EXPECT_EQ(ParseDocumentFile(dir.File("backup.cfg"), 20), nullptr) << "over the limit";
    EXPECT_EQ(ParseDocumentFile(dir.File("broken.cfg"), 1000), nullptr);
    EXPECT_EQ(ParseDocumentFile(dir.File("missing.cfg"), 1000), nullptr);
    EXPECT_EQ(ParseDocumentFile(dir.Path().string(), 1000), nullptr) << "a folder";
}

}  // namespace
}  // namespace merivane
