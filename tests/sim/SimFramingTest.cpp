// How the simulated device cuts the tool's byte stream into commands, bare
// request documents and upload data.

#include <gtest/gtest.h>

#include <string>

#include "sim/DeviceCommand.h"
#include "sim/DocumentScanner.h"
#include "sim/InputFramer.h"

namespace merivane::sim {
namespace {

void Feed(InputFramer& framer, const std::string& bytes) {
    framer.Feed(bytes.data(), bytes.size());
}

TEST(SimFramingTest, LinesEndAtCrLfLfOrALoneCrOnceSettled) {
    InputFramer framer;
    Feed(framer, "AT\r\nATI9\nAT+CSQ\r");
    auto first = framer.Next(false);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text, "AT");
    EXPECT_EQ(first->raw, "AT\r\n");
    auto second = framer.Next(false);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->raw, "ATI9\n");
    // A trailing "\r" may still be followed by "\n".
    EXPECT_FALSE(framer.Next(false));
    EXPECT_TRUE(framer.EndPending());
    Feed(framer, "\n");
    auto third = framer.Next(false);
    ASSERT_TRUE(third);
    EXPECT_EQ(third->raw, "AT+CSQ\r\n");

    Feed(framer, "AT\r");
    EXPECT_FALSE(framer.Next(false));
    auto settled = framer.Next(true);
    ASSERT_TRUE(settled);
    EXPECT_EQ(settled->raw, "AT\r");
    // The "\n" that comes late makes an empty line, which is no command.
    Feed(framer, "\n");
    EXPECT_FALSE(framer.Next(true));
}

TEST(SimFramingTest, CommandArrivingByteByByteIsOneFrame) {
    InputFramer framer;
    const std::string command = "at&usbinterface=41,\"/fw/updatefw.dwl\"\r\n";
    for (char c : command) {
        EXPECT_FALSE(framer.Next(false));
        framer.Feed(&c, 1);
    }
    auto frame = framer.Next(false);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->raw, command);
    EXPECT_FALSE(framer.Next(true));
}

TEST(SimFramingTest, BareDocumentEndsAtItsRootWithOrWithoutLineEnd) {
    struct Case {
        std::string input;
        bool settled;
        std::string text;
        std::string raw;
    };
    const std::string doc =
        "<rci_request version='1.1'><set_setting><a>1&gt;0</a><b/></set_setting></rci_request>";
    const Case cases[] = {
        {doc + "\r\n", false, doc, doc + "\r\n"},
        {doc, true, doc, doc},
        {"\r\n" + doc + "\n", false, doc, "\r\n" + doc + "\n"},
        {"<?xml version=\"1.0\"?>\n<!-- c -->" + doc + "\r\n", false,
         "<?xml version=\"1.0\"?>\n<!-- c -->" + doc,
         "<?xml version=\"1.0\"?>\n<!-- c -->" + doc + "\r\n"},
        {"<r a='>'/>", true, "<r a='>'/>", "<r a='>'/>"},
        {"<r><r>x</r></r>\r\n", false, "<r><r>x</r></r>", "<r><r>x</r></r>\r\n"},
    };
    for (const Case& c : cases) {
        InputFramer framer;
        framer.ExpectDocument();
        Feed(framer, c.input);
        auto frame = framer.Next(c.settled);
        ASSERT_TRUE(frame) << c.input;
        EXPECT_EQ(frame->kind, Frame::Kind::Document);
        EXPECT_EQ(frame->text, c.text);
        EXPECT_EQ(frame->raw, c.raw);
        // Back to lines afterwards.
        Feed(framer, "AT\r\n");
        auto next = framer.Next(false);
        ASSERT_TRUE(next);
        EXPECT_EQ(next->kind, Frame::Kind::Line);
    }
}

TEST(SimFramingTest, DocumentInPiecesWaitsForItsRootToClose) {
    InputFramer framer;
    framer.ExpectDocument();
    const std::string doc =
        "<rci_request "
        "version='1.1'><query_setting><python><state/></python></query_setting></rci_request>";
    for (size_t at = 0; at < doc.size(); at += 7) {
        EXPECT_FALSE(framer.Next(true));
        Feed(framer, doc.substr(at, 7));
    }
    EXPECT_FALSE(framer.Next(false));  // a line end may still come
    auto frame = framer.Next(true);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->text, doc);
}

TEST(SimFramingTest, UnfinishedDocumentCanBeTakenAsItStands) {
    InputFramer framer;
    framer.ExpectDocument();
    Feed(framer, "<rci_request><query_setting>");
    EXPECT_TRUE(framer.DocumentPartial());
    auto frame = framer.TakePartialDocument();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->text, "<rci_request><query_setting>");
    EXPECT_FALSE(framer.DocumentPartial());
}

TEST(SimFramingTest, TextThatIsNoDocumentAfterAnnouncementIsAnOrdinaryLine) {
    InputFramer framer;
    framer.ExpectDocument();
    Feed(framer, "AT+CSQ\r\n");
    auto frame = framer.Next(false);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->kind, Frame::Kind::Line);
    EXPECT_EQ(frame->text, "AT+CSQ");
}

TEST(SimFramingTest, UploadDataIsExactlyTheAnnouncedBytes) {
    InputFramer framer;
    Feed(framer, "AT&USBINTERFACE=5\r\nab");  // data that raced ahead of the answer
    ASSERT_TRUE(framer.Next(false));
    framer.ExpectData(6);
    EXPECT_TRUE(framer.InDataPhase());
    EXPECT_EQ(framer.DataReceived(), 2u);
    Feed(framer, std::string("\r\n\0", 3));
    EXPECT_FALSE(framer.Next(true));
    Feed(framer, "zAT\r\n");
    auto data = framer.Next(false);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->kind, Frame::Kind::UploadData);
    EXPECT_EQ(data->text, std::string("ab\r\n\0z", 6));
    auto line = framer.Next(false);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text, "AT");
}

TEST(SimFramingTest, DocumentScannerStepsOverQuotesCommentsAndCdata) {
    DocumentScanner scanner;
    const std::string text = "<r a=\"</r>\"><!-- </r> --><![CDATA[</r>]]><x/></r>tail";
    EXPECT_EQ(scanner.Scan(text), text.size() - 4);
}

TEST(SimFramingTest, DeviceCommandsAreRecognisedInAnyCase) {
    struct Case {
        const char* line;
        bool device;
        int number;
        bool hasArgument;
        const char* argument;
    };
    const Case cases[] = {
        {"AT&usbinterface=55,pause", true, 55, true, "pause"},
        {"at&usbinterface=22", true, 22, false, ""},
        {"AT&USBINTERFACE=9,/WEB/python/a.py", true, 9, true, "/WEB/python/a.py"},
        {"at&usbinterface=41,\"/fw/x\"", true, 41, true, "\"/fw/x\""},
        {"AT&usbinterface=", false, 0, false, ""},
        {"AT&usbinterface=5x", false, 0, false, ""},
        {"AT+CSQ", false, 0, false, ""},
    };
    for (const Case& c : cases) {
        const auto command = DeviceCommand::Parse(c.line);
        ASSERT_EQ(command.has_value(), c.device) << c.line;
        if (!command) continue;
        EXPECT_EQ(command->number, c.number) << c.line;
        EXPECT_EQ(command->hasArgument, c.hasArgument) << c.line;
        EXPECT_EQ(command->argument, c.argument) << c.line;
    }
    EXPECT_EQ(DeviceCommand::Parse("at&usbinterface=41,\"/fw/x\"")->Unquoted(), "/fw/x");
}

}  // namespace
}  // namespace merivane::sim
