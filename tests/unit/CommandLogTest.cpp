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

// A log in a shared folder may have been made by someone else to catch the passwords
// and the SIM PIN it records: an existing file is appended to only when it is private to
// this user. Another user's file needs root to plant here, so that case runs as root only.
TEST(CommandLogTest, AnExistingLogIsAppendedToOnlyWhenPrivateToItsOwner) {
    struct Case {
        const char* label;
        mode_t mode;
        bool otherOwner;
        bool secondName;
        const char* refusal;  // nullptr: appended
    };
    const Case cases[] = {
        {"private", 0600, false, false, nullptr},
        {"others may read", 0644, false, false, "others may read or write it"},
        {"others may write", 0622, false, false, "others may read or write it"},
        {"hard link", 0600, false, true, "it has more than one name"},
        {"another user's", 0600, true, false, "it belongs to another user"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        if (c.otherOwner && ::geteuid() != 0) continue;
        TempDir dir;
        const std::string path = dir.File("command.log");
        test::WriteWholeFile(path, "earlier run\n");
        ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
        if (c.otherOwner) {
            ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
        }
        if (c.secondName) {
            ASSERT_EQ(::link(path.c_str(), dir.File("other.log").c_str()), 0);
        }
        CommandLog log;
        std::string why;
        EXPECT_EQ(log.Open(path, &why), c.refusal == nullptr);
        log.WriteCommand(1, 2, "AT\r\n");
        log.Close();
        if (c.refusal == nullptr) {
            EXPECT_EQ(ReadWholeFile(path).rfind("earlier run\n1 -> 2 | COMMAND:\r\n", 0), 0u);
        } else {
            EXPECT_NE(why.find(c.refusal), std::string::npos) << why;
            EXPECT_EQ(ReadWholeFile(path), "earlier run\n");
        }
    }
    // A new log is made private whatever the umask.
    TempDir dir;
    const mode_t umaskBefore = ::umask(0);
    CommandLog log;
    EXPECT_TRUE(log.Open(dir.File("new.log")));
    ::umask(umaskBefore);
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("new.log").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
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
    std::string why;
    EXPECT_FALSE(log.Open(link, &why));
    EXPECT_EQ(why, "it is a symbolic link; give the file itself");
    log.WriteCommand(1, 2, "AT\r\n");
    EXPECT_EQ(modeOf(target), 0644u);
    EXPECT_EQ(ReadWholeFile(target), "mine\n");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
}

}  // namespace
}  // namespace merivane
