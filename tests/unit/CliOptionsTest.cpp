#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/PortDiscovery.h"

namespace merivane::cli {
namespace {

using Arguments = std::vector<std::string>;

// The options as one line: what the runner sets for itself, then the command line the
// per-device processes get.
std::string Described(const CliOptions& o) {
    std::string text;
    for (const std::string& port : o.ports) text += "port=" + port + " ";
    if (o.all) text += "all ";
    if (o.debug) text += "debug log=" + o.LogPath() + " ";
    if (o.json) text += "json ";
    if (o.help) text += "help ";
    if (o.version) text += "version ";
    for (const std::string& argument : CommandArguments(o)) text += argument + " ";
    return text;
}

struct Accepted {
    Arguments arguments;
    std::string options;  // Described()
};

const std::vector<Accepted> kAccepted = {
    {{"info"}, "--retries=3 info -- "},
    {{"--port", "/dev/a", "info"}, "port=/dev/a --retries=3 info -- "},
    {{"info", "--port=/dev/a", "--json"}, "port=/dev/a json --retries=3 info -- "},
    {{"--port", "/dev/a", "--port", "/dev/b", "--port=/dev/a", "ls"},
     "port=/dev/a port=/dev/b --retries=3 ls -- "},
    {{"--all", "-y", "--retries", "0", "reboot"}, "all --yes --retries=0 reboot -- "},
    {{"set", "a=b", "--check", "c=d"}, "--retries=3 --check set -- a=b c=d "},
    {{"rm", "--if-present", "--", "--json", "-5", "-"},
     "--retries=3 --if-present rm -- --json -5 - "},
    {{"--debug", "ls"}, "debug log=command.log --retries=3 ls -- "},
    {{"--log", "trace.log", "ls"}, "debug log=trace.log --retries=3 ls -- "},
    // "--name=" is an empty value, not "--name" followed by its value.
    {{"--log=", "ls"}, "debug log=command.log --retries=3 ls -- "},
    {{"autostart", "off", "--command="}, "--retries=3 --command= autostart -- off "},
    {{"--command", "--check", "autostart", "on"}, "--retries=3 --command=--check autostart -- on "},
    {{"--document=state", "get", "mobile_stats/quality&max=3"},
     "--retries=3 --document=state get -- mobile_stats/quality&max=3 "},
    {{"monitor", "--interval", "5", "--count=3"}, "--retries=3 --interval=5 --count=3 monitor -- "},
    {{"--retries", "7", "--retries", "1", "info"}, "--retries=1 info -- "},
    {{"firmware", "img", "--if-version-not", "5.0"},
     "--retries=3 --if-version-not=5.0 firmware -- img "},
    {{"upload", "x.py", "--if-changed"}, "--retries=3 --if-changed upload -- x.py "},
    {{"--help", "frobnicate"}, "help --retries=3 frobnicate -- "},
    {{"-V"}, "version --retries=3  -- "},
};

TEST(CliOptionsTest, OptionsMayComeAnywhereInEitherSpelling) {
    for (const Accepted& c : kAccepted) {
        CliOptions options;
        std::string error;
        EXPECT_TRUE(ParseCliArguments(c.arguments, options, error))
            << ::testing::PrintToString(c.arguments) << ": " << error;
        EXPECT_EQ(Described(options), c.options) << ::testing::PrintToString(c.arguments);
    }
}

// The per-device processes read back the same command and options.
TEST(CliOptionsTest, CommandArgumentsReadBackAsTheSameOptions) {
    for (const Accepted& c : kAccepted) {
        CliOptions options;
        std::string error;
        ASSERT_TRUE(ParseCliArguments(c.arguments, options, error)) << error;
        if (options.help || options.version) continue;
        CliOptions again;
        ASSERT_TRUE(ParseCliArguments(CommandArguments(options), again, error))
            << ::testing::PrintToString(c.arguments) << ": " << error;
        EXPECT_EQ(CommandArguments(again), CommandArguments(options));
    }
}

TEST(CliOptionsTest, MalformedCommandLinesAreRefusedWithTheirReason) {
    const std::vector<std::pair<Arguments, std::string>> cases = {
        {{}, "no command given"},
        {{"--json"}, "no command given"},
        {{"frobnicate"}, "unknown command \"frobnicate\""},
        {{"--bogus", "info"}, "unknown option \"--bogus\""},
        {{"info", "-x"}, "unknown option \"-x\""},
        {{"-yV", "info"}, "unknown option \"-yV\""},
        {{"-5", "info"}, "unknown option \"-5\""},
        {{"--help", "--bogus"}, "unknown option \"--bogus\""},
        {{"--json=yes", "info"}, "--json takes no value"},
        {{"--yes=", "info"}, "--yes takes no value"},
        {{"info", "--port"}, "--port needs a value"},
        {{"--port=", "info"}, "--port needs a path"},
        {{"--retries", "many", "ls"}, "--retries takes a number from 0 to 1000"},
        {{"--retries", "1001", "ls"}, "--retries takes a number from 0 to 1000"},
        {{"--retries", "0x10", "ls"}, "--retries takes a number from 0 to 1000"},
        {{"--interval", "0", "monitor"}, "--interval takes a number of seconds from 1 to 1000"},
        {{"--count", "-1", "monitor"}, "--count takes a number from 0 to 1000"},
        {{"--document", "wrong", "get", "a"}, "--document takes settings, state or radio"},
        {{"--if-version-not=", "firmware", "x"}, "--if-version-not needs a version"},
        {{"--all", "--port", "/dev/a", "info"}, "--all and --port do not go together"},
        {{"info", "extra"}, "wrong number of arguments for \"info\""},
        {{"get"}, "wrong number of arguments for \"get\""},
        {{"download", "a", "b", "c"}, "wrong number of arguments for \"download\""},
        {{"get", ""}, "an empty setting path"},
        {{"set", "mobile_simple/apn"}, "\"mobile_simple/apn\" is not PATH=VALUE"},
        {{"set", "a=two\nlines"},
         "the value for a cannot be sent: it holds a line break; nothing was sent"},
        {{"autostart", "maybe"}, "autostart takes \"on\" or \"off\""},
        {{"--command", "x.py", "info"}, "--command belongs to the autostart command"},
        {{"--check", "info"},
         "--check belongs to the set, upload, rm, autostart and firmware commands"},
        {{"--interval", "3", "info"}, "--interval belongs to the monitor command"},
        {{"ports", "--all"}, "ports lists the discovered ports; it takes no --port or --all"},
    };
    for (const auto& [arguments, message] : cases) {
        CliOptions options;
        std::string error;
        EXPECT_FALSE(ParseCliArguments(arguments, options, error))
            << ::testing::PrintToString(arguments);
        EXPECT_EQ(error, message) << ::testing::PrintToString(arguments);
    }
}

TEST(CliOptionsTest, AssignmentsSplitAtTheFirstEqualsSignOutsideASelector) {
    const std::vector<std::tuple<std::string, std::string, std::string>> split = {
        {"mobile_simple/apn=internet", "mobile_simple/apn", "internet"},
        {"a=b=c", "a", "b=c"},
        {"a=", "a", ""},
        {"mgmtconnection&index=3/connectionEnabled=on", "mgmtconnection&index=3/connectionEnabled",
         "on"},
        {"mobile_stats/quality&max=3=2", "mobile_stats/quality&max=3", "2"},
        {"a&x=1/b&y=2/c=d", "a&x=1/b&y=2/c", "d"},
    };
    for (const auto& [argument, path, value] : split) {
        std::string gotPath;
        std::string gotValue;
        EXPECT_TRUE(SplitAssignment(argument, gotPath, gotValue)) << argument;
        EXPECT_EQ(gotPath, path) << argument;
        EXPECT_EQ(gotValue, value) << argument;
    }
    for (const std::string refused : {"no-equals", "=value", "mgmtconnection&index=3"}) {
        std::string path;
        std::string value;
        EXPECT_FALSE(SplitAssignment(refused, path, value)) << refused;
    }
}

// Each device of a fleet run writes its own file, named after its port.
TEST(TaggedPathTest, PutsThePortBeforeTheWholeExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"backup.cfg", "backup-ttyACM0.cfg"},
        {"out/report.tar.gz", "out/report-ttyACM0.tar.gz"},
        {"command.log", "command-ttyACM0.log"},
        {"notes", "notes-ttyACM0"},
    };
    // As paths: Windows joins the folder with a backslash.
    for (const auto& [path, tagged] : cases)
        EXPECT_EQ(std::filesystem::path(TaggedPath(path, "ttyACM0")), std::filesystem::path(tagged))
            << path;
}

}  // namespace
}  // namespace merivane::cli
