#include "ui/QtText.h"

#include <gtest/gtest.h>

namespace merivane {
namespace {

TEST(QtTextTest, DeviceBytesThatAreNotUtf8AreShownNotTrusted) {
    // Invalid sequences, a lone continuation byte, a truncated sequence and a NUL.
    const std::string hostile("ok\xff\xfe\x80 \xe2\x82", 9);
    const QString shown = ToQt(hostile);
    EXPECT_TRUE(shown.startsWith("ok"));
    EXPECT_TRUE(shown.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(ToQt(std::string("a\0b", 3)).size(), 3);
    // Valid text goes both ways unchanged, "&" and "<" included.
    const std::string apn = "fleet.example & <co> \xc3\xa9t\xc3\xa9";
    EXPECT_EQ(FromQt(ToQt(apn)), apn);
}

}  // namespace
}  // namespace merivane
