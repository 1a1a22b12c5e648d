#include <gtest/gtest.h>

#include "settings/SettingPath.h"
#include "unit/SettingsTestSupport.h"

namespace merivane {
namespace {

struct ComponentCase {
    const char* name;
    const char* path;
    std::vector<PathComponent> components;
};

class BindingPathParse : public ::testing::TestWithParam<ComponentCase> {};

TEST_P(BindingPathParse, SplitsComponentsAndSelectors) {
    const ComponentCase& c = GetParam();
    const std::vector<PathComponent> got = ParseSettingPath(c.path);
    ASSERT_EQ(got.size(), c.components.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].element, c.components[i].element);
        EXPECT_EQ(got[i].hasSelector, c.components[i].hasSelector);
        EXPECT_EQ(got[i].attribute, c.components[i].attribute);
        EXPECT_EQ(got[i].value, c.components[i].value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BindingPaths, BindingPathParse,
    ::testing::Values(
        ComponentCase{
            "TwoPlain", "serial/baud", {{"serial", false, "", ""}, {"baud", false, "", ""}}},
        ComponentCase{"Selector", "quality&max=5", {{"quality", true, "max", "5"}}},
        ComponentCase{"SelectorsOnTwoLevels",
                      "mgmtconnection&index=3/ServerArray&index=1/serverAddress",
                      {{"mgmtconnection", true, "index", "3"},
                       {"ServerArray", true, "index", "1"},
                       {"serverAddress", false, "", ""}}},
        ComponentCase{"AmpersandWithoutEquals", "apn&x", {{"apn&x", false, "", ""}}},
        ComponentCase{"EqualsOnlyBeforeAmpersand", "x=1&y", {{"x=1&y", false, "", ""}}},
        ComponentCase{"EmptyValue", "x&y=", {{"x", true, "y", ""}}},
        ComponentCase{"ValueKeepsLaterAmpersand", "x&a=b&c=d", {{"x", true, "a", "b&c=d"}}},
        ComponentCase{"EmptyPath", "", {{"", false, "", ""}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ResolveCase {
    const char* name;
    const char* path;
    const char* text;  // text of the element found; null: the path does not resolve
};

class BindingPathResolve : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(BindingPathResolve, FindsElement) {
    const ResolveCase& c = GetParam();
    DocumentStore store = test::LoadedStore();
    ASSERT_NE(store.SettingsNode(), nullptr);
    xmlNode* found = ResolveSettingPath(store.SettingsNode(), c.path);
    if (c.text == nullptr) {
        EXPECT_EQ(found, nullptr);
    } else {
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(NodeText(found), c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BindingPaths, BindingPathResolve,
    ::testing::Values(
        ResolveCase{"Plain", "mobile_simple/apn", "internet"},
        ResolveCase{"MixedCaseNames", "MOBILE_Simple/aPN", "internet"},
        ResolveCase{"SecondSiblingBySelector", "mobile_stats/quality&max=5", "50"},
        ResolveCase{"FirstSiblingBySelector", "mobile_stats/quality&max=3", "30"},
        ResolveCase{"NoSelectorTakesFirst", "mobile_stats/quality", "30"},
        ResolveCase{"SelectedElementEmpty", "mobile_stats/quality&max=7", nullptr},
        ResolveCase{"NoSiblingSelected", "mobile_stats/quality&max=9", nullptr},
        ResolveCase{"SelectorValueCaseIgnored", "mobile_stats/mode&type=PRIMARY", "p"},
        ResolveCase{"SelectorAttributeNameCaseKept", "mobile_stats/mode&TYPE=Primary", nullptr},
        ResolveCase{"SelectorsOnTwoLevels",
                    "mgmtconnection&index=3/ServerArray&index=2/serverAddress", "c2"},
        ResolveCase{"SelectorsOnTwoLevelsMixedCase",
                    "MgmtConnection&index=3/serverarray&index=1/SERVERADDRESS", "c1"},
        ResolveCase{"FirstGroupOfName", "mgmtconnection/ServerArray/serverAddress", "a1"},
        ResolveCase{"NoBacktracking", "group/wanted", nullptr},
        ResolveCase{"FirstGroupChild", "group/other", "x"},
        ResolveCase{"MissingGroup", "serial/baud", nullptr},
        ResolveCase{"EmptyElementWithoutSelector", "mobile_simple/user", ""},
        ResolveCase{"BelowEmptyElement", "mobile_simple/user/x", nullptr},
        ResolveCase{"BelowTextOnly", "mobile_simple/apn/x", nullptr},
        ResolveCase{"AmpersandWithoutEqualsIsName", "mobile_simple/apn&x", nullptr},
        ResolveCase{"EmptySelectorAttribute", "mobile_stats/quality&=3", nullptr},
        ResolveCase{"EmptyPath", "", nullptr},
        ResolveCase{"EmptyComponent", "mobile_simple//apn", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BindingPathResolveFrom, LooksOnlyAtStartAndFollowingSiblings) {
    DocumentStore store = test::LoadedStore();
    xmlNode* stats = ResolveSettingPath(store.SettingsNode(), "mobile_stats");
    ASSERT_NE(stats, nullptr);
    EXPECT_EQ(ResolveSettingPath(stats, "mobile_simple/apn"), nullptr);
    EXPECT_NE(ResolveSettingPath(stats, "group/other"), nullptr);
}

TEST(BindingPathResolveFrom, NullStartResolvesNothing) {
    EXPECT_EQ(ResolveSettingPath(nullptr, "mobile_simple/apn"), nullptr);
}

}  // namespace
}  // namespace merivane
