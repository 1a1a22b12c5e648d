#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "ops/DigestAnswer.h"
#include "ops/OpsMessages.h"
#include "ops/PythonFileDownload.h"
#include "ops/PythonFileUpload.h"
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

TEST(FetchedFileAnswer, TheSuggestedNameIsNeverAPath) {
    const std::pair<const char*, const char*> cases[] = {
        {"/WEB/python/main.py", "main.py"},
        {"main.py", "main.py"},
        {"/WEB/python/..", "fallback.py"},
        {"/WEB/python/", "fallback.py"},
        {"", "fallback.py"},
        {"/WEB/python/a\\..\\b", "fallback.py"},
        {"/WEB/python/my script.py", "my script.py"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(SuggestedSaveName(path, "fallback.py"), expected) << path;
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

TEST_F(ReplacementFileTest, KeepsThePermissionsOfTheReplacedFile) {
    const std::string target = dir_.File("script.py");
    test::WriteWholeFile(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0750), 0);
    ReplacementFile file(target);
    ASSERT_TRUE(file.Write("new") && file.Commit());
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0750u);
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

TEST_F(ReplacementFileTest, ThroughALinkTheFileItPointsToIsReplacedAndTheLinkStays) {
    fs::create_directory(dir_.File("real"));
    const std::string real = dir_.File("real/settings.cfg");
    test::WriteWholeFile(real, "old");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    const std::string link = dir_.File("settings.cfg");
    fs::create_symlink("real/settings.cfg", link);
    {
        ReplacementFile file(link);
        ASSERT_TRUE(file.Write("new")) << file.Error();
        EXPECT_EQ(fs::path(file.TemporaryPath()).parent_path(), dir_.Path() / "real");
        ASSERT_TRUE(file.Commit()) << file.Error();
    }
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::ReadWholeFile(real), "new");
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // A link to a file not there yet makes it where the link points, when that folder exists.
    const std::string fresh = dir_.File("fresh.cfg");
    fs::create_symlink(dir_.File("real/fresh.cfg"), fresh);
    {
        ReplacementFile file(fresh);
        ASSERT_TRUE(file.Write("made") && file.Commit()) << file.Error();
    }
    EXPECT_TRUE(fs::is_symlink(fresh));
    EXPECT_EQ(test::ReadWholeFile(dir_.File("real/fresh.cfg")), "made");

    // Links into a missing folder, or in a loop, fail and leave the links alone.
    fs::create_symlink("gone/x.cfg", dir_.File("lost.cfg"));
    fs::create_symlink("loop.cfg", dir_.File("loop.cfg"));
    for (const std::string& target : {dir_.File("lost.cfg"), dir_.File("loop.cfg")}) {
        ReplacementFile file(target);
        EXPECT_FALSE(file.Write("data")) << target;
        EXPECT_FALSE(file.Error().empty()) << target;
        EXPECT_FALSE(file.Commit()) << target;
        EXPECT_TRUE(fs::is_symlink(target)) << target;
    }
    EXPECT_EQ(FilesInFolder(), 5u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.File("real")), fs::directory_iterator()),
              2);
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
