#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "link/CommandLog.h"
#include "support/TempDir.h"

namespace merivane {
namespace {

using test::ReadWholeFile;
using test::TempDir;

const std::string kStar = std::string(79, '*') + "\r\n";

TEST(CommandLogTest, BlocksAreFramedByteForByte) {
    TempDir dir;
    const std::string path = dir.File("command.log");
    {
        CommandLog log;
        ASSERT_TRUE(log.Open(path));
        log.WriteCommand(1700000000, 1700000001, "AT+CSQ\r\n");
        log.WriteRawResponse(1700000001, 1700000002, 1000, "AT+CSQ\r\n+CSQ: 17,99\r\n\r\nOK\r\n");
        log.WriteParsedResponse("+CSQ: 17,99", true);
        log.WriteParsedResponse("", false);
        log.WriteUploadStart("/WEB/python/main.py", 2112);
        log.WriteUploadChunk(0, 2112, 1024);
        log.WriteUploadFinished(2112, 2112);
    }
    const std::string expected =
        "1700000000 -> 1700000001 | COMMAND:\r\n" + kStar + "AT+CSQ\r\n\r\n" + kStar +
        "1700000001 -> 1700000002 (Timeout: 1000 ms) | RAW RESPONSE:\r\n" + kStar +
        "AT+CSQ\r\n+CSQ: 17,99\r\n\r\nOK\r\n\r\n" + kStar + "PARSED RESPONSE:\r\n" + kStar +
        "+CSQ: 17,99\r\n" + kStar + "PARSED RESULT: SUCCESS\r\n" + kStar + "PARSED RESPONSE:\r\n" +
        kStar + "\r\n" + kStar + "PARSED RESULT: FAILURE\r\n" + kStar +
        "Uploading file \"/WEB/python/main.py\" with 2112 bytes.\r\n\r\n" + kStar +
        "Uploading 0/2112 bytes (1024) complete...\r\n" +
        "Finished. 2112/2112 bytes uploaded.\r\n" + kStar + "\r\n";
    EXPECT_EQ(ReadWholeFile(path), expected);
}

TEST(CommandLogTest, RunHeaderNamesProgramVersionAndStartTime) {
    TempDir dir;
    const std::string path = dir.File("command.log");
    CommandLog log;
    ASSERT_TRUE(log.Open(path));
    log.WriteRunHeader("Varik Merivane", "Version 1.0.33.0", 0);
    const std::string text = ReadWholeFile(path);
    ASSERT_EQ(text.substr(0, kStar.size()), kStar);
    EXPECT_EQ(text.substr(kStar.size(), 43), "Varik Merivane Version 1.0.33.0 STARTED AT ");
    ASSERT_GE(text.size(), 2 * kStar.size() + 5);
    // The ctime form ("Thu Jan  1 00:00:00 1970") ends in a newline, right before the closing star
    // line.
    EXPECT_EQ(text.substr(text.size() - kStar.size() - 5), "1970\n" + kStar);
}

TEST(CommandLogTest, AppendsAndKeepsTheFilePrivate) {
    TempDir dir;
    const std::string path = dir.File("command.log");
    test::WriteWholeFile(path, "earlier run\n");
    ::chmod(path.c_str(), 0644);
    {
        CommandLog log;
        ASSERT_TRUE(log.Open(path));
        log.WriteCommand(1, 2, "AT\r\n");
    }
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadWholeFile(path).rfind("earlier run\n1 -> 2 | COMMAND:\r\n", 0), 0u);
}

TEST(CommandLogTest, ClosedLogWritesNothingAndUnwritablePathFails) {
    CommandLog log;
    EXPECT_FALSE(log.IsOpen());
    log.WriteCommand(1, 2, "AT\r\n");  // no effect, no crash
    EXPECT_FALSE(log.Open("/nonexistent-dir/command.log"));
    EXPECT_FALSE(log.IsOpen());
}

// Opens the log in a child process, so that an open that blocks fails the test instead of
// hanging it: the child's exit status, or -1 when it was still waiting after two seconds.
int OpenInChild(const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        CommandLog log;
        ::_exit(log.Open(path) ? 0 : 1);
    }
    int status = 0;
    for (int waited = 0; waited < 200; ++waited) {
        if (::waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ::usleep(10000);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return -1;
}

TEST(CommandLogTest, OnlyARegularFileAtThePathIsOpenedOrMadePrivate) {
    TempDir dir;
    const std::string fifo = dir.File("command.log");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const auto modeOf = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
    };
    {
        // With a reader the open itself would not wait; it is still no log.
        const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        CommandLog log;
        EXPECT_FALSE(log.Open(fifo));
        EXPECT_FALSE(log.IsOpen());
        ::close(reader);
    }
    EXPECT_EQ(OpenInChild(fifo), 1) << "a FIFO without a reader must not block the open";
    EXPECT_EQ(modeOf(fifo), 0644u);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    // A link named like the log is not followed: its target keeps its mode and content.
    const std::string target = dir.File("notes.txt");
    test::WriteWholeFile(target, "mine\n");
    ASSERT_EQ(::chmod(target.c_str(), 0644), 0);
    const std::string link = dir.File("linked.log");
    std::filesystem::create_symlink(target, link);
    CommandLog log;
    EXPECT_FALSE(log.Open(link));
    log.WriteCommand(1, 2, "AT\r\n");
    EXPECT_EQ(modeOf(target), 0644u);
    EXPECT_EQ(ReadWholeFile(target), "mine\n");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
}

}  // namespace
}  // namespace merivane
