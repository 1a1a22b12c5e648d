#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ops/DigestAnswer.h"
#include "ops/OpsMessages.h"
#include "ops/PythonFileDownload.h"
#include "ops/PythonFileUpload.h"
#include "support/RegularFile.h"
#include "support/ReplacementFile.h"
#include "support/TempDir.h"

namespace merivane {
namespace {

namespace fs = std::filesystem;

TEST(FillIn, PutsValuesInOrderAndNeverReadsThemAsPatterns) {
    EXPECT_EQ(FillIn("a %s b %s c", {"1", "%s"}), "a 1 b %s c");
    EXPECT_EQ(FillIn("%s%s", {"x"}), "x");
    EXPECT_EQ(FillIn("100%d %n", {"unused"}), "100%d %n");
}

TEST(DeviceAnswerExcerpt, IsShortPrintableAndSaysWhenThereWasNoAnswer) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "nothing (the device did not answer)"},
        {"0123abcd", "0123abcd"},
        {"a\r\nb\tc\x01\x7F", "a\\r\\nb\\tc\\x01\\x7F"},
        {std::string(kExcerptChars, 'x'), std::string(kExcerptChars, 'x')},
        {std::string(39'000'000, 'y'), std::string(kExcerptChars, 'y') + "..."},
        // Characters, not bytes: a two-byte letter counts once and is never cut.
        {std::string(kExcerptChars - 1, 'z') + "\xC3\xA9!",
         std::string(kExcerptChars - 1, 'z') + "\xC3\xA9..."},
    };
    for (const auto& [answer, excerpt] : cases)
        EXPECT_EQ(DeviceAnswerExcerpt(answer), excerpt) << answer.substr(0, 40);
}

TEST(Digests, LineEndsAreDroppedAndCaseCounts) {
    const std::string digest = "0123456789abcdef0123456789abcdef";
    EXPECT_TRUE(DigestsMatch(true, digest, DigestFromAnswer("\r\n" + digest + "\r\n")));
    EXPECT_FALSE(DigestsMatch(true, digest, "0123456789ABCDEF0123456789ABCDEF"));
    EXPECT_FALSE(DigestsMatch(false, digest, digest)) << "a digest that failed never matches";
    EXPECT_FALSE(DigestsMatch(true, "", "")) << "nothing against nothing is no match";
}

TEST(UploadPath, ForbiddenCharactersAnywhereInThePath) {
    for (const char* path :
         {"/home/u/(old)/main.py", "&main.py", "/tmp/a|b.py", "x?.py", "~/main.py"})
        EXPECT_TRUE(HasForbiddenUploadCharacter(path)) << path;
    for (const char* path : {"/home/u/main.py", "my script.py", "a-b_c.d+e=f,g.py"})
        EXPECT_FALSE(HasForbiddenUploadCharacter(path)) << path;
}

TEST(FetchedFileAnswer, NeedsGetFileAndData) {
    FetchedFile file;
    EXPECT_TRUE(ReadFetchedFile(
        "<rci_reply><do_command target='file_system'><get_file name='/WEB/python/main.py'>"
        "<data size='3' encode='base64'>QUJD</data></get_file></do_command></rci_reply>\r\nOK",
        file));
    EXPECT_EQ(file.devicePath, "/WEB/python/main.py");
    EXPECT_EQ(file.content, "QUJD");

    for (const char* answer :
         {"", "ERROR", "<rci_reply><do_command><get_file name='x'/></do_command></rci_reply>",
          "<rci_reply><do_command><data>QUJD</data></do_command></rci_reply>",
          "<rci_reply><do_command><get_file name='x'><data>QUJD</data></get_file>",
          "<!DOCTYPE r [<!ENTITY a 'QUJD'>]><r><do_command><get_file><data>&a;</data>"
          "</get_file></do_command></r>"}) {
        FetchedFile none;
        EXPECT_FALSE(ReadFetchedFile(answer, none)) << answer;
    }
}

TEST(FetchedFileAnswer, TheDefaultLocalNameIsAPlainVisibleName) {
    const std::pair<const char*, const char*> cases[] = {
        {"main.py", "main.py"},
        {"my script.py", "my script.py"},
        {".bashrc", ""},
        {"..hidden.py", ""},
        {"..", ""},
        {"", ""},
        {"a\\..\\b", ""},
        {"sub/x.py", ""},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(DefaultLocalName(name), expected) << name;
}

class ReplacementFileTest : public ::testing::Test {
  protected:
    size_t FilesInFolder() const {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()));
    }
    test::TempDir dir_;
};

TEST_F(ReplacementFileTest, TheTargetChangesOnlyOnCommit) {
    const std::string target = dir_.File("kept.py");
    test::WriteWholeFile(target, "old");
    {
        ReplacementFile file(target);
        ASSERT_TRUE(file.Write("new content"));
        EXPECT_EQ(test::ReadWholeFile(file.TemporaryPath()), "new content");
        EXPECT_EQ(fs::path(file.TemporaryPath()).parent_path(), dir_.Path());
        EXPECT_EQ(test::ReadWholeFile(target), "old");
    }
    EXPECT_EQ(test::ReadWholeFile(target), "old") << "an uncommitted file goes away";
    EXPECT_EQ(FilesInFolder(), 1u);

    ReplacementFile file(target);
    ASSERT_TRUE(file.Write("new content"));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(test::ReadWholeFile(target), "new content");
    EXPECT_EQ(FilesInFolder(), 1u);
}

// What a saved file may be read by: a secret one never more than its owner, also when it
// replaces a wider file; the others keep what the file they replace had.
TEST_F(ReplacementFileTest, ModesFollowTheSecrecyOfTheFile) {
    struct Case {
        FileSecrecy secrecy;
        int before;  // -1: no file there yet
        mode_t after;
    };
    const Case cases[] = {
        {FileSecrecy::Secret, -1, 0600},      {FileSecrecy::Secret, 0666, 0600},
        {FileSecrecy::Secret, 0400, 0400},    {FileSecrecy::OwnerOnly, -1, 0600},
        {FileSecrecy::OwnerOnly, 0750, 0750}, {FileSecrecy::Ordinary, 0640, 0640},
    };
    const mode_t umaskBefore = ::umask(0);
    for (const Case& c : cases) {
        const std::string target = dir_.File("file-" + std::to_string(&c - cases));
        if (c.before >= 0) {
            test::WriteWholeFile(target, "old");
            ASSERT_EQ(::chmod(target.c_str(), static_cast<mode_t>(c.before)), 0);
        }
        ReplacementFile file(target, c.secrecy);
        ASSERT_TRUE(file.Write("new") && file.Commit()) << file.Error();
        struct stat info {};
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.after) << (&c - cases);
    }
    ::umask(umaskBefore);
}

TEST_F(ReplacementFileTest, UnwritablePlacesFailWithAReasonAndLeaveNothing) {
    test::WriteWholeFile(dir_.File("plain"), "x");
    fs::create_directory(dir_.File("folder"));
    ASSERT_EQ(::mkfifo(dir_.File("fifo").c_str(), 0600), 0);
    for (const std::string& target :
         {dir_.File("missing/x.py"), dir_.File("plain/x.py"), dir_.File("folder"),
          dir_.File("folder/"), dir_.File("fifo")}) {
        ReplacementFile file(target);
        EXPECT_FALSE(file.Write("data")) << target;
        EXPECT_FALSE(file.Error().empty()) << target;
        EXPECT_TRUE(file.TemporaryPath().empty());
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_EQ(FilesInFolder(), 3u);
    EXPECT_TRUE(fs::is_empty(dir_.File("folder")));
    EXPECT_TRUE(fs::is_fifo(dir_.File("fifo"))) << "never replaced by a regular file";
}

// Names planted in a shared folder: a link (to a file, to nowhere, in a loop) is refused and
// never followed, and another user's file is never replaced, root's saves included. The
// other user's file needs root to plant, so that case runs as root only.
TEST_F(ReplacementFileTest, PlantedLinksAndOtherUsersFilesAreRefusedUntouched) {
    fs::create_directory(dir_.File("secret"));
    const std::string precious = dir_.File("secret/precious.conf");
    test::WriteWholeFile(precious, "precious");
    fs::create_symlink(precious, dir_.File("backup.cfg"));
    fs::create_symlink(dir_.File("secret/planted.cfg"), dir_.File("dangling.cfg"));
    fs::create_symlink("loop.cfg", dir_.File("loop.cfg"));
    struct Case {
        std::string target;
        std::string reason;
    };
    std::vector<Case> cases = {
        {dir_.File("backup.cfg"), "it is a symbolic link; give the file itself"},
        {dir_.File("dangling.cfg"), "it is a symbolic link; give the file itself"},
        {dir_.File("loop.cfg"), "it is a symbolic link; give the file itself"},
    };
    if (::geteuid() == 0) {
        test::WriteWholeFile(dir_.File("theirs.cfg"), "theirs");
        ASSERT_EQ(::chown(dir_.File("theirs.cfg").c_str(), 65534, 65534), 0);
        cases.push_back({dir_.File("theirs.cfg"), "belongs to another user"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        std::string why;
        EXPECT_FALSE(CanSaveTo(c.target, &why));
        ReplacementFile file(c.target, FileSecrecy::Secret);
        EXPECT_FALSE(file.Write("root's secrets"));
        EXPECT_NE(file.Error().find(c.reason), std::string::npos) << file.Error();
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_EQ(test::ReadWholeFile(precious), "precious");
    EXPECT_FALSE(fs::exists(dir_.File("secret/planted.cfg")));
    EXPECT_TRUE(fs::is_symlink(dir_.File("backup.cfg")));
    if (::geteuid() == 0) {
        EXPECT_EQ(test::ReadWholeFile(dir_.File("theirs.cfg")), "theirs");
    }
    EXPECT_EQ(FilesInFolder(), cases.size() + 1) << "no temporary file is left";
}

TEST_F(ReplacementFileTest, NamesAsLongAsTheSystemAllowsCanBeReplaced) {
    for (const size_t length : {241u, 255u}) {
        const std::string target = dir_.File(std::string(length, 'n'));
        test::WriteWholeFile(target, "old");
        ReplacementFile file(target);
        ASSERT_TRUE(file.Write("new")) << length << ": " << file.Error();
        ASSERT_TRUE(file.Commit()) << length << ": " << file.Error();
        EXPECT_EQ(test::ReadWholeFile(target), "new");
    }
    EXPECT_EQ(FilesInFolder(), 2u);
}

}  // namespace
}  // namespace merivane
