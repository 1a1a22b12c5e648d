#include <filesystem>
#include <string>

#include "OpsTestSupport.h"
#include "app/CKestrionApp.h"
#include "ops/PythonFileDelete.h"
#include "ops/PythonFileDownload.h"
#include "ops/PythonFileList.h"
#include "ops/PythonFileUpload.h"
#include "settings/RciRequests.h"
#include "sim/FirmwareImage.h"
#include "support/FileMd5Hex.h"

namespace merivane {
namespace {

namespace fs = std::filesystem;
using test::ScriptedPrompts;

constexpr char kPython[] = "/WEB/python/";

class OpsPythonFilesTest : public test::OpsFixture {
  protected:
    void Put(const std::string& name, const std::string& data) {
        ASSERT_TRUE(device_->PutFile(kPython + name, data));
    }

    PythonFileEntry Listed(const std::string& name) {
        const PythonFileListing listing = FetchPythonFileList(executor_);
        const PythonFileEntry* entry = FindPythonFile(listing, name);
        EXPECT_NE(entry, nullptr) << name;
        return entry ? *entry : PythonFileEntry{};
    }

    size_t FilesIn(const std::string& folder) const {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }
};

TEST_F(OpsPythonFilesTest, TheListShowsEveryFileUnderItsWholeName) {
    Put("a.txt", "12345");
    Put("abcdefghijklmnop.py1", std::string(20, 'x'));
    Put("abcdefghijklmnop.py12", std::string(21, 'y'));
    Put("my script.py", "print(1)\n");

    const PythonFileListing listing = FetchPythonFileList(executor_);
    ASSERT_TRUE(listing.answered);
    const auto text = [&](const std::string& name) {
        const PythonFileEntry* entry = FindPythonFile(listing, name);
        return entry ? entry->text : "<missing>";
    };
    EXPECT_EQ(text("a.txt"), "a.txt                   5       ");
    EXPECT_EQ(text("abcdefghijklmnop.py1"), "abcdefghijklmnop.py1    20      ");
    EXPECT_EQ(text("abcdefghijklmnop.py12"), "abcdefghijklmnop.py12    21      ");
    EXPECT_EQ(text("my script.py"), "my script.py            9       ");
    EXPECT_NE(FindPythonFile(listing, "python.zip"), nullptr);
    EXPECT_EQ(FindPythonFile(listing, "my script.py")->size, 9u);
}

TEST_F(OpsPythonFilesTest, AnUnparsableListIsNotAnAnswer) {
    ASSERT_TRUE(device_->AddFault("bad-xml:<ls "));
    EXPECT_FALSE(FetchPythonFileList(executor_).answered);
}

TEST_F(OpsPythonFilesTest, DeletingRefusesThePythonArchiveAndSendsNothing) {
    device_->ClearReceivedCommands();
    const DeleteResult result = DeletePythonFiles({"main.py", "python.zip"}, executor_, prompts_);
    EXPECT_EQ(result.outcome, DeleteOutcome::Refused);
    ASSERT_EQ(prompts_.Texts(), std::vector<std::string>{"python.zip cannot be deleted"});
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, CKestrionApp::kDisplayName);
    EXPECT_TRUE(device_->ReceivedCommands().empty());
    EXPECT_TRUE(device_->FileContents("/WEB/python/main.py"));
}

TEST_F(OpsPythonFilesTest, DeletingNothingOnlyFetchesTheList) {
    const DeleteResult result = DeletePythonFiles({}, executor_, prompts_);
    EXPECT_EQ(result.outcome, DeleteOutcome::Deleted);
    EXPECT_TRUE(result.listing.answered);
    ASSERT_EQ(executor_.batches.size(), 1u);
    EXPECT_EQ(executor_.batches[0].size(), 2u);
    EXPECT_EQ(executor_.batches[0][1].command, rci::kListPythonFiles);
}

TEST_F(OpsPythonFilesTest, NamesWithSpacesAreDeletedExactlyInOneBatch) {
    Put("my", "another file");
    Put("my script.py", "print(1)\n");
    Put("b.py", "b");
    const DeleteResult result = DeletePythonFiles({"my script.py", "b.py"}, executor_, prompts_);
    EXPECT_EQ(result.outcome, DeleteOutcome::Deleted);
    EXPECT_TRUE(prompts_.ShownPrompts().empty());
    EXPECT_FALSE(device_->FileContents("/WEB/python/my script.py"));
    EXPECT_FALSE(device_->FileContents("/WEB/python/b.py"));
    EXPECT_EQ(device_->FileContents("/WEB/python/my"), "another file");
    EXPECT_EQ(FindPythonFile(result.listing, "my script.py"), nullptr);
    EXPECT_NE(FindPythonFile(result.listing, "my"), nullptr);

    ASSERT_EQ(executor_.batches.size(), 1u);
    const CommandList& batch = executor_.batches[0];
    ASSERT_EQ(batch.size(), 6u);
    const int timeouts[] = {7000, 20000, 7000, 20000, 5000, 30000};
    for (size_t i = 0; i < batch.size(); ++i) EXPECT_EQ(batch[i].timeout, timeouts[i]) << i;
    EXPECT_EQ(batch[1].command,
              "<rci_request version='1.1'><do_command target='file_system'>"
              "<rm name='/WEB/python/my script.py'/></do_command></rci_request>");
    EXPECT_EQ(batch[0].message, "Deleting file from the device...");
}

TEST_F(OpsPythonFilesTest, ANameThatCannotTravelIsRefusedBeforeAnythingIsSent) {
    device_->ClearReceivedCommands();
    const DeleteResult result = DeletePythonFiles({"main.py", "bad\"name"}, executor_, prompts_);
    EXPECT_EQ(result.outcome, DeleteOutcome::Refused);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text,
              "The file bad\"name cannot be deleted. The file name contains a double quote.");
    EXPECT_TRUE(device_->ReceivedCommands().empty());
}

struct RoundTrip {
    size_t size;
    bool binary;
};

class OpsRoundTripTest : public OpsPythonFilesTest,
                         public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(OpsRoundTripTest, UploadedFilesComeBackByteForByte) {
    const RoundTrip trip = GetParam();
    const std::string name =
        std::string(trip.binary ? "blob" : "text") + std::to_string(trip.size) + ".py";
    const std::string local =
        LocalFile(name, trip.size, trip.binary, static_cast<unsigned>(trip.size));

    const UploadResult upload = UploadPythonFile(local, executor_, prompts_);
    ASSERT_EQ(upload.outcome, UploadOutcome::Verified);
    EXPECT_TRUE(prompts_.ShownPrompts().empty());
    EXPECT_EQ(device_->FileContents(kPython + name), test::ReadWholeFile(local));
    const PythonFileEntry* listed = FindPythonFile(upload.listing, name);
    ASSERT_NE(listed, nullptr) << "the list comes back with the upload";
    EXPECT_EQ(listed->size, trip.size);

    fs::create_directory(dir_.File("saved"));
    const std::string saved = dir_.File("saved/" + name);
    prompts_.QueueFile(saved);
    const std::vector<DownloadReport> reports = DownloadPythonFiles({*listed}, executor_, prompts_);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].outcome, DownloadOutcome::Saved);
    EXPECT_EQ(reports[0].savedPath, saved);
    EXPECT_EQ(test::ReadWholeFile(saved), test::ReadWholeFile(local));
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].kind, ScriptedPrompts::Kind::SaveFile);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text, name) << "a bare name is proposed";
    EXPECT_EQ(FilesIn(dir_.File("saved")), 1u) << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, OpsRoundTripTest,
    ::testing::Values(RoundTrip{0, false}, RoundTrip{1, false}, RoundTrip{1023, false},
                      RoundTrip{1024, false}, RoundTrip{1025, false}, RoundTrip{300000, false},
                      RoundTrip{0, true}, RoundTrip{1, true}, RoundTrip{1023, true},
                      RoundTrip{1024, true}, RoundTrip{1025, true}, RoundTrip{300000, true}),
    [](const auto& info) {
        return std::string(info.param.binary ? "Binary" : "Text") + std::to_string(info.param.size);
    });

TEST_F(OpsPythonFilesTest, DownloadAsksForTheDigestAndTheFileWithRoomForItsSize) {
    Put("main.py", std::string(1234, 'm'));
    prompts_.QueueFile(dir_.File("main.py"));
    DownloadPythonFiles({Listed("main.py")}, executor_, prompts_);
    ASSERT_EQ(executor_.batches.size(), 3u);
    const USBCommand& digest = executor_.batches[1][0];
    EXPECT_EQ(digest.command, "at&usbinterface=41,\"/WEB/python/main.py\"\r\n");
    EXPECT_EQ(digest.timeout, 6234);
    EXPECT_EQ(digest.message, "Retrieving MD5 checksum of main.py (1234 bytes) from the device...");
    const CommandList& fetch = executor_.batches[2];
    ASSERT_EQ(fetch.size(), 2u);
    EXPECT_EQ(fetch[0].timeout, 2000);
    EXPECT_EQ(fetch[1].command,
              "<rci_request version='1.1'><do_command target='file_system'>"
              "<get_file name='/WEB/python/main.py'/></do_command></rci_request>\r\n");
    EXPECT_EQ(fetch[1].timeout, 6234);
    EXPECT_EQ(fetch[1].extraBufferSize, 1234);
    EXPECT_EQ(fetch[1].message, "Retrieving main.py (1234 bytes) from the device...");
}

TEST_F(OpsPythonFilesTest, UploadRefusalsSendNothing) {
    const std::string quoted = LocalFile("say\"hi\".py", 10, false);
    struct Case {
        std::string path;
        std::string message;
        std::string caption;
    };
    const Case cases[] = {
        {"", "You must select a file to send.", "Please enter a filename"},
        {dir_.File("(old)/main.py"), "Cannot uplaod a file with special charcater in filename",
         "Error"},
        {"&main.py", "Cannot uplaod a file with special charcater in filename", "Error"},
        {quoted,
         "The file " + quoted +
             " cannot be sent to the device. The file name contains a double quote.",
         "Error"},
        {dir_.File("folder/"),
         "The file " + dir_.File("folder/") +
             " cannot be sent to the device. The file name is empty.",
         "Error"},
    };
    device_->ClearReceivedCommands();
    for (const Case& c : cases) {
        ScriptedPrompts prompts;
        const UploadResult result = UploadPythonFile(c.path, executor_, prompts);
        EXPECT_EQ(result.outcome, UploadOutcome::Refused) << c.path;
        ASSERT_EQ(prompts.ShownPrompts().size(), 1u) << c.path;
        EXPECT_EQ(prompts.ShownPrompts()[0].text, c.message);
        EXPECT_EQ(prompts.ShownPrompts()[0].caption, c.caption);
        EXPECT_EQ(prompts.ShownPrompts()[0].icon, Prompts::Icon::Error);
    }
    EXPECT_TRUE(device_->ReceivedCommands().empty());
    EXPECT_TRUE(executor_.uploads.empty());
}

TEST_F(OpsPythonFilesTest, ACorruptedUploadIsCaughtAndRetriedWithoutRemoving) {
    const std::string local = LocalFile("main.py", 5000, true);
    ASSERT_TRUE(device_->AddFault("corrupt-upload"));
    prompts_.QueueAnswer(Prompts::Answer::Retry);
    const UploadResult result = UploadPythonFile(local, executor_, prompts_);
    EXPECT_EQ(result.outcome, UploadOutcome::Verified);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text,
              "The file " + local + " did not correctly transfer.");
    EXPECT_EQ(prompts_.ShownPrompts()[0].kind, ScriptedPrompts::Kind::RetryCancel);
    EXPECT_EQ(executor_.uploads.size(), 2u);
    EXPECT_TRUE(ReceivedWith("<rm ").empty());
    EXPECT_EQ(device_->FileContents("/WEB/python/main.py"), test::ReadWholeFile(local));
}

TEST_F(OpsPythonFilesTest, CancelAfterAMismatchStillBringsTheList) {
    const std::string local = LocalFile("main.py", 3000, true);
    ASSERT_TRUE(device_->AddFault("corrupt-upload"));
    const UploadResult result = UploadPythonFile(local, executor_, prompts_);
    EXPECT_EQ(result.outcome, UploadOutcome::NotVerified);
    EXPECT_TRUE(result.listing.answered);
    EXPECT_NE(FindPythonFile(result.listing, "main.py"), nullptr);
}

TEST_F(OpsPythonFilesTest, AnUnparsableFileAnswerIsOfferedAgain) {
    Put("main.py", "print('hello')\n");
    const PythonFileEntry entry = Listed("main.py");
    const std::string target = dir_.File("main.py");
    test::WriteWholeFile(target, "the user's own file");
    ASSERT_TRUE(device_->AddFault("bad-xml:get_file"));

    // Cancel: nothing is written.
    std::vector<DownloadReport> reports = DownloadPythonFiles({entry}, executor_, prompts_);
    EXPECT_EQ(reports[0].outcome, DownloadOutcome::Failed);
    EXPECT_EQ(prompts_.Texts(),
              std::vector<std::string>{
                  "File download failed.\r\nSelect Retry to attempt the file download again."});
    EXPECT_EQ(test::ReadWholeFile(target), "the user's own file");

    // Retry: the device is asked again and the second answer is good.
    prompts_.ClearShown();
    prompts_.QueueAnswer(Prompts::Answer::Retry);
    prompts_.QueueFile(target);
    executor_.afterBatch = [&](const CommandList& list) {
        if (list.back().command.find("get_file") != std::string::npos) device_->ClearFaults();
    };
    reports = DownloadPythonFiles({entry}, executor_, prompts_);
    EXPECT_EQ(reports[0].outcome, DownloadOutcome::Saved);
    EXPECT_EQ(test::ReadWholeFile(target), "print('hello')\n");
    EXPECT_EQ(ReceivedWith("at&usbinterface=41").size(), 3u)
        << "one digest query per attempt, 1 + 2";
}

TEST_F(OpsPythonFilesTest, AnAnswerWithoutTheFileIsAFailedDownload) {
    // The device answers get_file for a missing file with an error, no data.
    const std::vector<DownloadReport> reports =
        DownloadPythonFiles({MakePythonFileEntry("ghost.py", "10")}, executor_, prompts_);
    EXPECT_EQ(reports[0].outcome, DownloadOutcome::Failed);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].kind, ScriptedPrompts::Kind::RetryCancel);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text,
              "File download failed.\r\nSelect Retry to attempt the file download again.");
}

TEST_F(OpsPythonFilesTest, ACorruptedDownloadKeepsTheUsersFile) {
    Put("main.py", "the device's file\n");
    const PythonFileEntry entry = Listed("main.py");
    const std::string target = dir_.File("main.py");
    test::WriteWholeFile(target, "the user's own file");
    prompts_.QueueFile(target);
    // The file changes on the device between its digest and its transfer.
    executor_.afterBatch = [&](const CommandList& list) {
        if (list.front().command.find("=41,") != std::string::npos)
            device_->PutFile("/WEB/python/main.py", "something else\n");
    };
    const std::vector<DownloadReport> reports = DownloadPythonFiles({entry}, executor_, prompts_);
    EXPECT_EQ(reports[0].outcome, DownloadOutcome::Failed);
    EXPECT_EQ(test::ReadWholeFile(target), "the user's own file");
    EXPECT_EQ(FilesIn(dir_.Path().string()), 2u)
        << "the device link and the user's file, nothing else";

    const std::string sent = sim::Md5Hex("something else\n");
    const std::string expected = sim::Md5Hex("the device's file\n");
    ASSERT_EQ(prompts_.ShownPrompts().size(), 2u);
    EXPECT_EQ(prompts_.ShownPrompts()[1].text,
              "File download failed.  MD5 sum should have been " + sent + ", but came back as " +
                  expected + ".\r\nSelect Retry to attempt the file download again.");
}

TEST_F(OpsPythonFilesTest, ASavePathThatCannotBeWrittenIsSaidAndAskedAgain) {
    Put("main.py", "print(2)\n");
    const PythonFileEntry entry = Listed("main.py");
    test::WriteWholeFile(dir_.File("plain"), "x");
    const std::string bad = dir_.File("plain/main.py");
    const std::string good = dir_.File("main.py");
    prompts_.QueueFile(bad);
    prompts_.QueueFile(good);
    const std::vector<DownloadReport> reports = DownloadPythonFiles({entry}, executor_, prompts_);
    EXPECT_EQ(reports[0].outcome, DownloadOutcome::Saved);
    EXPECT_EQ(test::ReadWholeFile(good), "print(2)\n");
    ASSERT_EQ(prompts_.ShownPrompts().size(), 3u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].kind, ScriptedPrompts::Kind::SaveFile);
    EXPECT_EQ(
        prompts_.ShownPrompts()[1].text,
        "The file " + bad + " cannot be written (Not a directory). Choose another name or folder.");
    EXPECT_EQ(prompts_.ShownPrompts()[2].kind, ScriptedPrompts::Kind::SaveFile);
    EXPECT_EQ(ReceivedWith("get_file").size(), 1u) << "the file is not fetched again";
}

TEST_F(OpsPythonFilesTest, EachCheckedFileHasItsOwnDialogAndACancelGoesOn) {
    Put("one.py", "1");
    Put("two.py", "2");
    prompts_.QueueFile("");
    prompts_.QueueFile(dir_.File("two.py"));
    const std::vector<DownloadReport> reports =
        DownloadPythonFiles({Listed("one.py"), Listed("two.py")}, executor_, prompts_);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].outcome, DownloadOutcome::NotSaved);
    EXPECT_EQ(reports[1].outcome, DownloadOutcome::Saved);
    EXPECT_EQ(test::ReadWholeFile(dir_.File("two.py")), "2");
    EXPECT_FALSE(fs::exists(dir_.File("one.py")));
}

TEST_F(OpsPythonFilesTest, SizesThatDoNotFitAreRefusedBeforeAnythingIsSent) {
    device_->ClearReceivedCommands();
    const std::vector<DownloadReport> reports = DownloadPythonFiles(
        {MakePythonFileEntry("main.py", "-5"), MakePythonFileEntry("big.py", "4294967296")},
        executor_, prompts_);
    EXPECT_EQ(reports[0].outcome, DownloadOutcome::Refused);
    EXPECT_EQ(reports[1].outcome, DownloadOutcome::Refused);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 2u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text,
              "The file main.py cannot be fetched from the device. Its size as the device reports "
              "it (-5) is not a number of bytes up to 7000000.");
    EXPECT_TRUE(device_->ReceivedCommands().empty());
}

TEST_F(OpsPythonFilesTest, TheLargestDownloadableFileComesThrough) {
    std::string data(kMaxDownloadBytes, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 2654435761u) >> 13);
    Put("largest.bin", data);
    const PythonFileEntry entry = Listed("largest.bin");
    ASSERT_EQ(entry.size, kMaxDownloadBytes);
    prompts_.QueueFile(dir_.File("largest.bin"));
    const std::vector<DownloadReport> reports = DownloadPythonFiles({entry}, executor_, prompts_);
    EXPECT_EQ(reports[0].outcome, DownloadOutcome::Saved);
    EXPECT_TRUE(test::ReadWholeFile(dir_.File("largest.bin")) == data);
}

}  // namespace
}  // namespace merivane
