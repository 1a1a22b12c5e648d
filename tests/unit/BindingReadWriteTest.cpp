#include <gtest/gtest.h>

#include <climits>

#include "settings/Bindings.h"
#include "settings/DocumentParser.h"
#include "settings/DocumentSerializer.h"
#include "settings/ElementSearch.h"
#include "settings/SettingPath.h"
#include "unit/SettingsTestSupport.h"

namespace merivane {
namespace {

using test::LoadedStore;
using test::RecordingHost;

std::string TextAt(const DocumentStore& store, const char* path) {
    return NodeText(ResolveSettingPath(store.SettingsNode(), path));
}

struct IntReadCase {
    const char* path;
    int flags;
    int before;
    int after;
};

class BindingReadNumber : public ::testing::TestWithParam<IntReadCase> {};

TEST_P(BindingReadNumber, ReadsDeviceText) {
    const IntReadCase& c = GetParam();
    DocumentStore store = LoadedStore();
    int member = c.before;
    const BindingTable table = {{c.path, &member, "control", nullptr, c.flags, {}, {}}};
    RecordingHost host;
    ReadBindings(&host, table, store.SettingsNode());
    EXPECT_EQ(member, c.after);
    EXPECT_EQ(host.shown, std::vector<std::string>{"control"});
}

INSTANTIATE_TEST_SUITE_P(
    BindingAtoiRules, BindingReadNumber,
    ::testing::Values(IntReadCase{"numbers/plain", BIND_INT, -1, 12},
                      IntReadCase{"numbers/letters", BIND_INT, -1, 12},
                      IntReadCase{"numbers/none", BIND_INT, -1, 0},
                      IntReadCase{"numbers/spaced", BIND_INT, -1, -7},
                      IntReadCase{"numbers/plus", BIND_INT, -1, 5},
                      IntReadCase{"numbers/huge", BIND_INT, -1, INT_MAX},
                      IntReadCase{"numbers/tiny", BIND_INT, -1, INT_MIN},
                      IntReadCase{"numbers/empty", BIND_INT, 42, 42},
                      IntReadCase{"mobile_simple/state", BIND_ONOFF, 0, 1},
                      IntReadCase{"group/other", BIND_ONOFF, 7, 7},
                      IntReadCase{"numbers/empty", BIND_ONOFF, 7, 7},
                      IntReadCase{"numbers/plain", BIND_INT | BIND_ONOFF, 0, 12},
                      IntReadCase{"mobile_simple/state", BIND_INT | BIND_ONOFF, 5, 0},
                      IntReadCase{"numbers/plain", 0, 9, 9}));

TEST(BindingReadOnOff, OffInAnyCase) {
    DocumentStore store;
    store.LoadSettingsDocument(
        "<r><query_setting><g><a>oFF</a><b>on </b><c>On</c></g></query_setting></r>");
    int a = 1, b = 5, c = 0;
    const BindingTable table = {BindOnOff("g/a", &a, ""), BindOnOff("g/b", &b, ""),
                                BindOnOff("g/c", &c, "")};
    ReadBindings(nullptr, table, store.SettingsNode());
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 5);
    EXPECT_EQ(c, 1);
}

TEST(BindingReadText, ShowsOnlyControlsWhoseSettingExists) {
    DocumentStore store = LoadedStore();
    std::string apn = "old", baud = "9600", user = "someone", quality = "q";
    const BindingTable table = {
        BindText("mobile_simple/apn", &apn, "apnEdit"),
        BindText("serial/baud", &baud, "baudEdit"),
        BindText("mobile_simple/user", &user, "userEdit"),
        BindText("mobile_stats/quality&max=7", &quality, "qualityEdit"),
    };
    RecordingHost host;
    ReadBindings(&host, table, store.SettingsNode());
    EXPECT_EQ(apn, "internet");
    EXPECT_EQ(baud, "9600");
    EXPECT_EQ(user, "");
    EXPECT_EQ(quality, "q");
    EXPECT_EQ(host.shown, (std::vector<std::string>{"apnEdit", "userEdit"}));
}

TEST(BindingReadText, TableEndsAtFirstEmptyPath) {
    DocumentStore store = LoadedStore();
    std::string apn = "old", pin = "old";
    const BindingTable table = {BindText("", &apn, "first"),
                                BindText("mobile_simple/apn", &apn, "a")};
    RecordingHost host;
    ReadBindings(&host, table, store.SettingsNode());
    EXPECT_EQ(apn, "old");
    EXPECT_TRUE(host.shown.empty());

    const BindingTable later = {BindText("mobile_simple/apn", &apn, "a"), BindText("", &pin, "b"),
                                BindText("mobile_simple/pin", &pin, "c")};
    ReadBindings(&host, later, store.SettingsNode());
    EXPECT_EQ(apn, "internet");
    EXPECT_EQ(pin, "old");
    EXPECT_EQ(host.shown, std::vector<std::string>{"a"});
}

TEST(BindingReadText, NullStartNodeSkipsEverything) {
    std::string apn = "old";
    RecordingHost host;
    ReadBindings(&host, BindingTable{BindText("mobile_simple/apn", &apn, "a")}, nullptr);
    EXPECT_EQ(apn, "old");
    EXPECT_TRUE(host.shown.empty());
}

TEST(BindingReadText, TextWinsOverIntAndRecordWithoutFlagsOnlyShows) {
    DocumentStore store = LoadedStore();
    std::string text;
    int number = 3;
    const BindingTable table = {
        {"numbers/letters", &text, "t", nullptr, BIND_TEXT | BIND_INT | BIND_ONOFF, {}, {}},
        {"numbers/plain", &number, "n", nullptr, 0, {}, {}},
        {"numbers/none", std::monostate{}, "m", nullptr, BIND_TEXT, {}, {}},
    };
    RecordingHost host;
    ReadBindings(&host, table, store.SettingsNode());
    EXPECT_EQ(text, "12abc");
    EXPECT_EQ(number, 3);
    EXPECT_EQ(host.shown, (std::vector<std::string>{"t", "n", "m"}));
}

TEST(BindingConverters, ReadAndWriteThroughConverters) {
    DocumentStore store = LoadedStore();
    std::string band;
    SettingBinding binding = BindText("mobile_simple/band", &band, "bandCombo");
    binding.read_converter = [](const std::string& device) { return "[" + device + "]"; };
    binding.write_converter = [](const std::string& page) {
        return page.substr(1, page.size() - 2);
    };
    const BindingTable table = {binding};
    ReadBindings(nullptr, table, store.SettingsNode());
    EXPECT_EQ(band, "[auto]");
    band = "[lte]";
    WriteBindings(table, store.SettingsNode());
    EXPECT_EQ(TextAt(store, "mobile_simple/band"), "lte");
}

TEST(BindingWrite, StoresEachKind) {
    DocumentStore store = LoadedStore();
    std::string apn = "m2m.example", user = "me";
    int pin = -5, stateOn = 1, stateOff = 0;
    WriteBindings(BindingTable{BindText("mobile_simple/apn", &apn, ""),
                               BindText("mobile_simple/user", &user, ""),
                               BindInt("mobile_simple/pin", &pin, ""),
                               BindOnOff("mobile_simple/state", &stateOn, ""),
                               BindOnOff("numbers/plain", &stateOff, "")},
                  store.SettingsNode());
    EXPECT_EQ(TextAt(store, "mobile_simple/apn"), "m2m.example");
    EXPECT_EQ(TextAt(store, "mobile_simple/user"), "me");
    EXPECT_EQ(TextAt(store, "mobile_simple/pin"), "-5");
    EXPECT_EQ(TextAt(store, "mobile_simple/state"), "on");
    EXPECT_EQ(TextAt(store, "numbers/plain"), "off");
}

TEST(BindingWrite, OnOffOtherThanZeroOrOneIsNotWritten) {
    DocumentStore store = LoadedStore();
    int state = 2;
    WriteBindings(BindingTable{BindOnOff("mobile_simple/state", &state, "")}, store.SettingsNode());
    EXPECT_EQ(TextAt(store, "mobile_simple/state"), "ON");
}

TEST(BindingWrite, UnresolvedPathsLeaveDocumentUnchanged) {
    DocumentStore store = LoadedStore();
    const std::string before = SerializeForSending(store.SettingsDocument());
    std::string text = "new";
    WriteBindings(
        BindingTable{BindText("serial/baud", &text, ""), BindText("group/wanted", &text, ""),
                     BindText("mobile_stats/quality&max=7", &text, ""), BindText("", &text, ""),
                     BindText("mobile_simple/apn", &text, "")},
        store.SettingsNode());
    EXPECT_EQ(SerializeForSending(store.SettingsDocument()), before);
    WriteBindings(BindingTable{BindText("mobile_simple/apn", &text, "")}, nullptr);
    EXPECT_EQ(SerializeForSending(store.SettingsDocument()), before);
}

TEST(BindingWrite, EmptyTextLeavesElementEmptyAndReadsBackEmpty) {
    DocumentStore store = LoadedStore();
    std::string password;
    const BindingTable table = {BindText("mobile_simple/password", &password, "pw")};
    WriteBindings(table, store.SettingsNode());
    xmlNode* element = ResolveSettingPath(store.SettingsNode(), "mobile_simple/password");
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->children, nullptr);
    password = "stale";
    RecordingHost host;
    ReadBindings(&host, table, store.SettingsNode());
    EXPECT_EQ(password, "");
    EXPECT_EQ(host.shown, std::vector<std::string>{"pw"});
}

// Page texts are stored as typed, also when they look like markup or entity references,
// and they survive the trip through the text that is sent.
TEST(BindingWrite, StoresTextsLiterally) {
    for (const std::string typed : {"a&b", "&lt;", "<", "p&amp;q", "x&#65;y", "a]]>b", "\"'\"",
                                    "&unknown;", "line1\nline2"}) {
        SCOPED_TRACE(typed);
        DocumentStore store = LoadedStore();
        std::string apn = typed;
        const BindingTable table = {BindText("mobile_simple/apn", &apn, "")};
        WriteBindings(table, store.SettingsNode());
        EXPECT_EQ(TextAt(store, "mobile_simple/apn"), typed);

        // What the device receives: a set request holding the typed text.
        XmlDocPtr sent = ParseDocumentText(SerializeForSending(store.SettingsDocument()), "sent");
        ASSERT_NE(sent, nullptr);
        xmlNode* set =
            FindChildElement(xmlDocGetRootElement(sent.get()), kElementNodeType, "set_setting");
        ASSERT_NE(set, nullptr);
        apn.clear();
        ReadBindings(nullptr, table, set->children);
        EXPECT_EQ(apn, typed);
    }
}

TEST(BindingChoices, SplitsAtLineFeeds) {
    EXPECT_EQ(SplitChoices("auto\nlte\n3g"), (std::vector<std::string>{"auto", "lte", "3g"}));
    EXPECT_EQ(SplitChoices("one"), std::vector<std::string>{"one"});
    EXPECT_EQ(SplitChoices("a\n\nb\n"), (std::vector<std::string>{"a", "", "b", ""}));
}

TEST(BindingChoices, ChoicesRecordMovesTextLikeTextRecord) {
    DocumentStore store = LoadedStore();
    const std::string choices = "auto\nlte";
    std::string band;
    const BindingTable table = {BindChoices("mobile_simple/band", &band, "bandCombo", &choices)};
    EXPECT_EQ(table[0].flags, BIND_TEXT | BIND_CHOICES);
    ReadBindings(nullptr, table, store.SettingsNode());
    EXPECT_EQ(band, "auto");
}

}  // namespace
}  // namespace merivane
