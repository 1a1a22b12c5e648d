// The command line's findings as JSON and as text.

#include <gtest/gtest.h>

#include "cli/CommandReport.h"

namespace merivane::cli {
namespace {

// A device may send a name with a byte that is not UTF-8: the JSON document stays valid
// (the byte becomes U+FFFD) and the text output shows the byte escaped, as a terminal
// could take a lone byte for a control.
TEST(CommandReportTest, BytesThatAreNotUtf8StillMakeValidJson) {
    const Json data = {{"file", "caf\xE9.py"}};
    const Json parsed = Json::parse(JsonText(data), nullptr, false);
    ASSERT_TRUE(parsed.is_object()) << JsonText(data);
    EXPECT_EQ(parsed["file"], "caf\xEF\xBF\xBD.py");
    EXPECT_EQ(RenderText(data), "file: caf\\xe9.py\n");
}

}  // namespace
}  // namespace merivane::cli
