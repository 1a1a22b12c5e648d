// The simulated device's configuration service and the document operations
// under it, without a line in between.

#include <gtest/gtest.h>

#include <string>

#include "sim/DeviceModel.h"
#include "sim/RciService.h"
#include "sim/XmlTree.h"

namespace merivane::sim {
namespace {

using Document = DeviceModel::Document;

XmlDocPtr Parse(const std::string& text) {
    XmlDocPtr doc = xml::Parse(text);
    EXPECT_TRUE(doc) << text;
    return doc;
}

TEST(SimRciTest, ResolveFollowsNamesAndSelectorsIgnoringCase) {
    XmlDocPtr doc = Parse(
        "<s><m index='1'><c>first</c><A index='1'><v>a1</v></A><A index='2'><v>a2</v></A></m>"
        "<m index='3'><c>third</c></m><q max='3'>2</q><q max='5'>4</q></s>");
    xmlNode* root = xmlDocGetRootElement(doc.get());
    struct Case {
        const char* path;
        const char* text;  // null: not found
    };
    const Case cases[] = {
        {"m/c", "first"},        {"M/C", "first"},         {"m&index=3/c", "third"},
        {"m/a&index=2/v", "a2"}, {"q&max=5", "4"},         {"q&MAX=3", nullptr},
        {"q&max", nullptr},      {"m&index=2/c", nullptr}, {"nothing/here", nullptr},
    };
    for (const Case& c : cases) {
        xmlNode* node = xml::Resolve(root, c.path);
        if (!c.text) {
            EXPECT_EQ(node, nullptr) << c.path;
        } else {
            ASSERT_NE(node, nullptr) << c.path;
            EXPECT_EQ(xml::Text(node), c.text) << c.path;
        }
    }
}

TEST(SimRciTest, MergeChangesGivenLeavesByNameAttributesAndPosition) {
    XmlDocPtr target = Parse(
        "<s><m index='1'><c>on</c><t>60</t></m><m index='3'><c>off</c></m>"
        "<list><i>a</i><i>b</i></list><g><leaf>x</leaf></g></s>");
    XmlDocPtr request = Parse(
        "<set><m index='3'><c>on</c></m><list><i>a</i><i>B2</i></list>"
        "<g>flat text aimed at a group</g><unknown><z>1</z></unknown><m "
        "index='1'><t>90</t><new>1</new></m></set>");
    EXPECT_TRUE(
        xml::MergeValues(xmlDocGetRootElement(target.get()), xmlDocGetRootElement(request.get())));
    EXPECT_EQ(xml::Dump(xmlDocGetRootElement(target.get())),
              "<s><m index=\"1\"><c>on</c><t>90</t></m><m index=\"3\"><c>on</c></m>"
              "<list><i>a</i><i>B2</i></list><g><leaf>x</leaf></g></s>");
    // The same request again changes nothing.
    EXPECT_FALSE(
        xml::MergeValues(xmlDocGetRootElement(target.get()), xmlDocGetRootElement(request.get())));
}

TEST(SimRciTest, CopySelectedNarrowsToWhatIsNamed) {
    XmlDocPtr source = Parse("<s><a><x>1</x><y>2</y></a><b k='1'><z/></b><b k='2'/><c>3</c></s>");
    struct Case {
        const char* request;
        const char* copied;
    };
    const Case cases[] = {
        {"<q/>", "<o><a><x>1</x><y>2</y></a><b k=\"1\"><z/></b><b k=\"2\"/><c>3</c></o>"},
        {"<q><a><y/></a></q>", "<o><a><y>2</y></a></o>"},
        {"<q><b/></q>", "<o><b k=\"1\"><z/></b><b k=\"2\"/></o>"},
        {"<q><b k='2'/><c/></q>", "<o><b k=\"2\"/><c>3</c></o>"},
        {"<q><missing/></q>", "<o/>"},
    };
    for (const Case& c : cases) {
        XmlDocPtr request = Parse(c.request);
        XmlDocPtr out = xml::NewDocument("o");
        xml::CopySelected(xmlDocGetRootElement(source.get()), xmlDocGetRootElement(request.get()),
                          xmlDocGetRootElement(out.get()));
        EXPECT_EQ(xml::Dump(xmlDocGetRootElement(out.get())), c.copied) << c.request;
    }
}

TEST(SimRciTest, SetTextIsLiteral) {
    XmlDocPtr doc = Parse("<a>x</a>");
    xmlNode* root = xmlDocGetRootElement(doc.get());
    xml::SetText(root, "p&amp;ss<1>");
    EXPECT_EQ(xml::Text(root), "p&amp;ss<1>");
    EXPECT_EQ(xml::Dump(root), "<a>p&amp;amp;ss&lt;1&gt;</a>");
}

class SimRciServiceTest : public ::testing::Test {
  protected:
    SimRciServiceTest() : model_(Options()), rci_(model_) {}
    static DeviceOptions Options() {
        DeviceOptions options;
        options.linkPath = "unused";
        return options;
    }
    DeviceModel model_;
    RciService rci_;
};

TEST_F(SimRciServiceTest, RequestsThatAreNoRciRequestGetError) {
    for (const char* request :
         {"", "not xml", "<rci_request version='1.1'><query_state>", "<other/>"}) {
        EXPECT_EQ(rci_.Execute(request).status, Reply::Status::Error) << request;
    }
}

TEST_F(SimRciServiceTest, EveryCommandAnswersInsideOneReply) {
    const Reply reply = rci_.Execute(
        "<rci_request version='1.1'><query_setting><python/></query_setting>"
        "<set_setting><mobile_simple><pin>1234</pin></mobile_simple></set_setting><frobnicate/>"
        "<do_command target='nowhere'/></rci_request>");
    EXPECT_EQ(reply.status, Reply::Status::Ok);
    EXPECT_EQ(reply.body,
              "\r\n<rci_reply "
              "version=\"1.1\"><query_setting><python><state>off</state><command>main.py</command>"
              "</python></query_setting><set_setting><mobile_simple/></set_setting>"
              "<frobnicate><error id=\"1\"><desc>Unknown command</desc></error></frobnicate>"
              "<do_command target=\"nowhere\"><error id=\"2\"><desc>Unknown "
              "target</desc></error></do_command>"
              "</rci_reply>\r\n");
    EXPECT_EQ(model_.Value(Document::Settings, "mobile_simple/pin"), "1234");
}

TEST_F(SimRciServiceTest, OnlyStateAnswersCarryRawAmpersands) {
    model_.SetValue(Document::Settings, "mobile_simple/password", "a&b");
    const Reply reply = rci_.Execute(
        "<rci_request version='1.1'><query_state><device_info/></query_state>"
        "<query_setting><mobile_simple><password/></mobile_simple></query_setting></rci_request>");
    EXPECT_NE(reply.body.find("Router & Gateway"), std::string::npos);
    EXPECT_NE(reply.body.find("<password>a&amp;b</password>"), std::string::npos);
    EXPECT_TRUE(reply.chatterBehind);
    EXPECT_FALSE(
        rci_.Execute("<rci_request version='1.1'><query_state/></rci_request>").chatterBehind);
}

TEST_F(SimRciServiceTest, FileSystemErrorsAreReportedInside) {
    const Reply reply = rci_.Execute(
        "<rci_request version='1.1'><do_command target='file_system'><ls dir='/nope'/>"
        "<get_file name='/WEB/python/none.py'/><rm "
        "name='/WEB/../x'/><format/></do_command></rci_request>");
    EXPECT_EQ(reply.status, Reply::Status::Ok);
    EXPECT_EQ(reply.body.find("<file"), std::string::npos);
    size_t errors = 0;
    for (size_t at = reply.body.find("<error"); at != std::string::npos;
         at = reply.body.find("<error", at + 1)) {
        ++errors;
    }
    EXPECT_EQ(errors, 4u);
}

}  // namespace
}  // namespace merivane::sim
