#include <gtest/gtest.h>

#include "ops/ZelboValidation.h"
#include "support/ScriptedPrompts.h"

namespace merivane {
namespace {

TEST(ZelboValidation, ExtendedPanIdIsLowerCase0xAndUpToEightBytes) {
    const std::pair<const char*, bool> cases[] = {
        {"0x0", true},
        {"0x0013a20040a1b2c3", true},
        {"0xFFFFFFFFFFFFFFFF", true},
        {"0", false},
        {"0X0", false},
        {"0x", false},
        {"0x0013a20040a1b2c3a", false},
        {"0xzz", false},
        {"0x-5", false},
        {" 0x1", false},
        {"", false},
    };
    for (const auto& [text, valid] : cases) EXPECT_EQ(ExtPanIdValid(text), valid) << text;
}

TEST(ZelboValidation, DecimalFieldsAreUnsigned32BitWithinTheirBounds) {
    const std::tuple<const char*, uint32_t, bool> cases[] = {
        {"252", 252, true},
        {"253", 252, false},
        {"0", 252, true},
        {"-1", 252, false},
        {"-0", 252, true},
        {"", 252, true},  // C's atoi reads no number as 0
        {"7", 7, true},
        {"8", 7, false},
        {"255", 255, true},
        {"256", 255, false},
        {"12abc", 255, true},
        {"4294967296", 255, false},
        {"4294967551", 255, false},
        {" 5", 7, true},
    };
    for (const auto& [text, maximum, valid] : cases)
        EXPECT_EQ(DecimalWithin(text, maximum), valid) << text << " <= " << maximum;
}

TEST(ZelboValidation, ScanChannelsAreHexadecimalUpTo0xffff) {
    const std::pair<const char*, bool> cases[] = {
        {"ffff", true},     {"0xffff", true},
        {"0XFFFF", true},   {"10000", false},
        {"0x10000", false}, {"-1", false},
        {"-0", true},       {"", true},
        {"0x", true},       {"fffffffffffffffffff", false},
        {"zz", true},
    };
    for (const auto& [text, valid] : cases) EXPECT_EQ(HexWithin(text, 0xffff), valid) << text;
}

TEST(ZelboValidation, TheFirstFailureInThePageOrderIsReported) {
    const ZelboFields good{"0x0", "252", "0xffff", "7", "255"};
    EXPECT_EQ(ValidateZelboFields(good).field, ZelboField::None);

    struct Case {
        ZelboFields fields;
        ZelboField field;
        const char* message;
    };
    const Case cases[] = {
        {{"0", "253", "10000", "8", "256"},
         ZelboField::ExtPanId,
         "Extended PAN ID must be 8 hex bytes"},
        {{"0x0", "253", "10000", "8", "256"},
         ZelboField::DiscoverTimeout,
         "Discover Timeout must be between 0 and 252"},
        {{"0x0", "1", "10000", "8", "256"},
         ZelboField::ScanChannels,
         "Scan Channels must be between 0 and 0xffff"},
        {{"0x0", "1", "1", "8", "256"},
         ZelboField::ScanDuration,
         "Scan Duration must be between 0 and 7"},
        {{"0x0", "1", "1", "1", "-3"},
         ZelboField::JoinTime,
         "Allows Join Time must be between 0 and 255"},
    };
    for (const Case& c : cases) {
        test::ScriptedPrompts prompts;
        EXPECT_EQ(CheckZelboFields(c.fields, prompts), c.field);
        ASSERT_EQ(prompts.ShownPrompts().size(), 1u);
        EXPECT_EQ(prompts.ShownPrompts()[0].text, c.message);
        EXPECT_EQ(prompts.ShownPrompts()[0].caption, "Error");
    }
    test::ScriptedPrompts quiet;
    EXPECT_EQ(CheckZelboFields(good, quiet), ZelboField::None);
    EXPECT_TRUE(quiet.ShownPrompts().empty());
}

}  // namespace
}  // namespace merivane
