// Hostile input from the device and from files the user picks: refused or carried safely,
// never expanded, never sent back to the device as something the user did not ask for.

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "OpsTestSupport.h"
#include "link/UploadEngine.h"
#include "ops/ConfigurationRestore.h"
#include "ops/FirmwareUpdate.h"
#include "ops/PythonFileDelete.h"
#include "ops/PythonFileDownload.h"
#include "ops/PythonFileList.h"
#include "ops/PythonFileUpload.h"
#include "ops/ZelboFirmware.h"

namespace merivane {
namespace {

constexpr char kBomb[] =
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
    "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
    "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
    "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
    "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
    "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">]>\n"
    "<rci_request version=\"1.1\"><set_setting><mobile_simple><apn>&f;</apn>"
    "</mobile_simple></set_setting></rci_request>\n";

std::string Nested(int depth) {
    std::string text = "<rci_request version='1.1'><set_setting>";
    for (int i = 0; i < depth; ++i) text += "<g>";
    for (int i = 0; i < depth; ++i) text += "</g>";
    return text + "</set_setting></rci_request>";
}

class HostileInputTest : public test::OpsFixture {};

TEST_F(HostileInputTest, BackupFilesThatWouldExpandOrNestDeeplyAreRefusedUnsent) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"bomb.cfg", kBomb},
        {"deep.cfg", Nested(100000)},
    };
    for (const auto& [name, content] : files) {
        SCOPED_TRACE(name);
        const std::string path = dir_.File(name);
        test::WriteWholeFile(path, content);
        device_->ClearReceivedCommands();
        test::ScriptedPrompts prompts;
        EXPECT_EQ(RestoreSettings(path, documents_, executor_, prompts), RestoreOutcome::Refused);
        ASSERT_EQ(prompts.Texts().size(), 1u);
        EXPECT_EQ(prompts.Texts()[0], "The file " + path + " is not a configuration backup.");
        EXPECT_TRUE(device_->ReceivedCommands().empty());
        EXPECT_EQ(test::ReadWholeFile(path), content) << "the user's file is left alone";
    }
}

// Device file names a listing may carry. None may reach the device again unescaped, and a
// download never proposes anything but a bare file name.
TEST_F(HostileInputTest, HostileDeviceFileNamesAreNeverSentBackRaw) {
    const std::vector<std::string> names = {
        "q\"uote.py", "it's.py", "lt<gt>.py", "amp&amp;.py", "tab\tname.py", "del\x7f.py",
    };
    for (const std::string& name : names) ASSERT_TRUE(device_->PutFile("/WEB/python/" + name, "x"));
    const PythonFileListing listing = FetchPythonFileList(executor_);
    ASSERT_TRUE(listing.answered);

    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const PythonFileEntry* entry = FindPythonFile(listing, name);
        if (!entry) continue;  // a name the list did not carry cannot come back either
        device_->ClearReceivedCommands();
        test::ScriptedPrompts prompts;
        DeletePythonFiles({name}, executor_, prompts);
        for (const std::string& line : device_->ReceivedCommands()) {
            if (line.find("<rm ") == std::string::npos) continue;
            // The request holds the name only in escaped form.
            EXPECT_EQ(line.find(name), std::string::npos) << line;
            for (char c : line) EXPECT_GE(static_cast<unsigned char>(c), 0x20u) << line;
        }
    }
}

// A control character cannot be written in an XML 1.0 answer at all: the list that would
// carry it does not parse and nothing is listed.
TEST_F(HostileInputTest, AListWithAControlCharacterInANameIsNoList) {
    ASSERT_TRUE(device_->PutFile("/WEB/python/ctl\x01.py", "x"));
    EXPECT_FALSE(FetchPythonFileList(executor_).answered);
    ASSERT_TRUE(device_->RemoveFile("/WEB/python/ctl\x01.py"));
    EXPECT_TRUE(FetchPythonFileList(executor_).answered);
}

TEST_F(HostileInputTest, LocalPathsWithLineEndsOrQuotesAreRefusedUnsent) {
    for (const std::string name : {"new\nline.py", "quo\"te.py", "car\rriage.py"}) {
        SCOPED_TRACE(name);
        const std::string path = dir_.File(name);
        test::WriteWholeFile(path, "print(1)\n");
        device_->ClearReceivedCommands();
        test::ScriptedPrompts prompts;
        EXPECT_EQ(UploadPythonFile(path, executor_, prompts).outcome, UploadOutcome::Refused);
        EXPECT_EQ(prompts.Texts().size(), 1u);
        EXPECT_TRUE(device_->ReceivedCommands().empty());
        EXPECT_TRUE(device_->FileNames("/WEB/python").size() >= 1u);
        EXPECT_FALSE(device_->FileContents("/WEB/python/" + name));
    }
}

// A folder would fail in the middle of a read, a FIFO would block the tool for
// ever, /dev/zero never ends and a file far larger than anything the device takes
// would be held in memory and sent for hours: each is refused before anything
// is sent, with the reason.
TEST_F(HostileInputTest, LocalFilesThatAreNotOrdinaryFilesAreRefusedUnsent) {
    const std::string folder = dir_.File("folder.py");
    std::filesystem::create_directory(folder);
    const std::string fifo = dir_.File("fifo.py");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = dir_.File("huge.py");
    test::WriteWholeFile(huge, "");
    std::filesystem::resize_file(huge, kMaxUploadBytes + 1);  // sparse: no disk used
    const std::string hugeBackup = dir_.File("huge.cfg");
    test::WriteWholeFile(hugeBackup, "");
    std::filesystem::resize_file(hugeBackup, kMaxBackupFileBytes + 1);

    const std::string notRegular = "it is not a regular file";
    const std::string tooLarge = "it holds more than " + std::to_string(kMaxUploadBytes) + " bytes";
    struct Case {
        std::string path;
        std::string why;
    };
    for (const Case& c : {Case{folder, notRegular}, Case{fifo, notRegular},
                          Case{"/dev/zero", notRegular}, Case{huge, tooLarge}}) {
        SCOPED_TRACE(c.path);
        const std::string message = "The file " + c.path + " cannot be read (" + c.why + ").";
        device_->ClearReceivedCommands();
        test::ScriptedPrompts prompts;
        EXPECT_EQ(UploadPythonFile(c.path, executor_, prompts).outcome, UploadOutcome::Refused);
        EXPECT_EQ(prompts.Texts(), std::vector<std::string>{message});
        if (c.why == tooLarge) {
            // Images: the image checks say the same about a file that is too large.
            test::ScriptedPrompts imagePrompts;
            EXPECT_EQ(UpdateFirmware(c.path, documents_, executor_, imagePrompts,
                                     AfterFirmwareUpdate::Return),
                      FirmwareOutcome::Refused);
            EXPECT_EQ(UpdateRadioFirmware(c.path, documents_, executor_, imagePrompts),
                      FirmwareOutcome::Refused);
            EXPECT_EQ(imagePrompts.Texts(), (std::vector<std::string>{message, message}));
        }
        test::ScriptedPrompts restorePrompts;
        EXPECT_EQ(RestoreSettings(c.path == huge ? hugeBackup : c.path, documents_, executor_,
                                  restorePrompts),
                  RestoreOutcome::Refused);
        ASSERT_EQ(restorePrompts.Texts().size(), 1u);
        EXPECT_NE(restorePrompts.Texts()[0].find(
                      c.path == huge ? std::to_string(kMaxBackupFileBytes) : notRegular),
                  std::string::npos)
            << restorePrompts.Texts()[0];
        EXPECT_TRUE(device_->ReceivedCommands().empty());
        EXPECT_TRUE(executor_.uploads.empty());
    }
}

TEST_F(HostileInputTest, OutlandishListSizesAreShownButNeverDownloadable) {
    for (const char* size :
         {"18446744073709551616", "4294967296", "-1", "99999999999", "1e9", "0x10", "7000001"}) {
        SCOPED_TRACE(size);
        const PythonFileEntry entry = MakePythonFileEntry("big.py", size);
        EXPECT_FALSE(entry.size.has_value());
        test::ScriptedPrompts prompts;
        device_->ClearReceivedCommands();
        const std::vector<DownloadReport> reports =
            DownloadPythonFiles({entry}, executor_, prompts);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].outcome, DownloadOutcome::Refused);
        EXPECT_TRUE(device_->ReceivedCommands().empty());
    }
    EXPECT_EQ(MakePythonFileEntry("ok.py", "7000000").size, 7000000u);
}

}  // namespace
}  // namespace merivane
