#include <gtest/gtest.h>

#include "settings/SettingText.h"

namespace merivane {
namespace {

TEST(SettingTextTest, OnlyTextADocumentCanCarryIsAccepted) {
    struct Case {
        std::string value;
        bool singleLine;
        std::string problem;  // empty: accepted
    };
    const std::vector<Case> cases = {
        {"internet.example", true, ""},
        {"", true, ""},
        {"tab\there", true, ""},
        {"Gr\xC3\xBC\xC3\x9F"
         "e \xE2\x82\xAC \xF0\x9F\x93\xA1",
         true, ""},
        {"two\nlines", false, ""},
        {"two\nlines", true, "it holds a line break"},
        {"cr\r", true, "it holds a line break"},
        {"ab\xFF"
         "cd",
         true, "byte 0xFF is not UTF-8 text"},
        {"\xC0\xAF", true, "byte 0xC0 is not UTF-8 text"},      // overlong "/"
        {"\xED\xA0\x80", true, "byte 0xED is not UTF-8 text"},  // a surrogate
        {"cut \xE2\x82", true, "byte 0xE2 is not UTF-8 text"},  // sequence cut short
        {std::string("nul\0x", 5), true, "it holds the control character 0x00"},
        {"bell\x01", false, "it holds the control character 0x01"},
        {"\xEF\xBF\xBE", true, "it holds a character that is not text"},  // U+FFFE
    };
    for (const Case& c : cases)
        EXPECT_EQ(SettingTextProblem(c.value, c.singleLine), c.problem) << '"' << c.value << '"';
}

}  // namespace
}  // namespace merivane
