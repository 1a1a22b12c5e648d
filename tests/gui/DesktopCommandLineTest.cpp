#include <gtest/gtest.h>

#include "desktop/DesktopCommandLine.h"

namespace merivane {
namespace {

DesktopCommandLine Parse(QStringList words) {
    words.prepend("merivane");
    return ParseDesktopCommandLine(words);
}

TEST(DesktopCommandLineTest, OptionsDebugAsAWholeWordAndTheDemoKinds) {
    EXPECT_TRUE(Parse({"/debug"}).startup.debug);
    EXPECT_TRUE(Parse({"--debug"}).startup.debug);
    EXPECT_FALSE(Parse({"/home/me/debug/file"}).startup.debug) << "only the whole word counts";
    EXPECT_EQ(Parse({"--port", "/dev/ttyACM3"}).startup.portPath, "/dev/ttyACM3");
    EXPECT_EQ(Parse({"--port=/dev/ttyACM4", "/debug"}).startup.portPath, "/dev/ttyACM4");

    const std::pair<QString, sim::Product> demos[] = {{"--demo", sim::Product::Brivel},
                                                      {"--demo=brivel", sim::Product::Brivel},
                                                      {"--demo=korvane", sim::Product::Korvane},
                                                      {"--demo=noradio", sim::Product::Brivel}};
    for (const auto& [word, product] : demos) {
        const DesktopCommandLine line = Parse({word});
        ASSERT_TRUE(line.demo.has_value()) << word.toStdString();
        EXPECT_EQ(line.demo->product, product);
        EXPECT_EQ(line.demo->radio, word != "--demo=noradio");
        EXPECT_TRUE(line.error.isEmpty());
    }
    EXPECT_FALSE(Parse({"--demo=toaster"}).error.isEmpty());
    EXPECT_FALSE(Parse({"--bogus"}).error.isEmpty());
    EXPECT_TRUE(Parse({"-platform", "offscreen"}).error.isEmpty()) << "Qt's own options are Qt's";
}

TEST(DesktopCommandLineTest, HelpNamesEveryOptionWithItsText) {
    const DesktopCommandLine line = Parse({"--help"});
    EXPECT_TRUE(line.help);
    for (const char* piece : {"--port <PATH>", "--debug", "/debug", "--demo <KIND>", "korvane",
                              "--version", "-platform or -style"})
        EXPECT_TRUE(line.helpText.contains(piece)) << piece << "\n" << line.helpText.toStdString();
    EXPECT_TRUE(Parse({"--version"}).version);
}

}  // namespace
}  // namespace merivane
