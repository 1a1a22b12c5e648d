#include <gtest/gtest.h>

#include "support/TerminalText.h"

namespace merivane {
namespace {

using namespace std::string_literals;

TEST(TerminalSafe, EscapesWhatATerminalWouldActOnAndKeepsTheRest) {
    struct Case {
        std::string text;
        std::string shown;
    };
    const Case cases[] = {
        {"plain text\twith a tab", "plain text\twith a tab"},
        {"caf\xc3\xa9 \xe2\x82\xac", "caf\xc3\xa9 \xe2\x82\xac"},  // UTF-8 stays
        {"\x1b]52;c;aGk=\x07", "\\x1b]52;c;aGk=\\x07"},            // clipboard write
        {"\x1b[2J", "\\x1b[2J"},
        {"a\r\nb\n"s, "a\\x0d\\x0ab\\x0a"},  // a forged line
        {"nul\0del\x7f"s, "nul\\x00del\\x7f"},
        {"\xc2\x9b"
         "2J",
         "\\u009b2J"},  // C1 CSI as UTF-8
        {"\x9b"
         "2J",
         "\\x9b2J"},  // a raw byte of no UTF-8
        {"\xe2\x80\xae"
         "txt.exe",
         "\\u202etxt.exe"},  // right-to-left override
        {"\xe2\x81\xa6x\xe2\x81\xa9", "\\u2066x\\u2069"},
        {"\xc0\xaf", "\\xc0\\xaf"},           // overlong "/"
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},  // a surrogate
        {"cut \xe2\x82", "cut \\xe2\\x82"},   // cut short
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TerminalSafe(c.text), c.shown) << c.shown;
        EXPECT_EQ(TerminalSafe(TerminalSafe(c.text)), c.shown) << "escaping twice adds nothing";
    }
    EXPECT_EQ(TerminalSafe("one\ntwo\r\n", LineBreaks::Keep), "one\ntwo\\x0d\n");
}

}  // namespace
}  // namespace merivane
