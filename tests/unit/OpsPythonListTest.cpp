#include <gtest/gtest.h>

#include <string>

#include "ops/PythonFileList.h"

namespace merivane {
namespace {

std::string ListAnswer(const std::string& items) {
    return "<rci_reply version=\"1.1\"><do_command target=\"file_system\"><ls "
           "dir=\"/WEB/python\">" +
           items + "</ls></do_command></rci_reply>\r\nOK";
}

TEST(PythonFileEntryText, ShortNamesLineUpTheirSizesAtColumn25) {
    EXPECT_EQ(PythonFileEntryText("a.txt", "12"), "a.txt                   12      ");
    EXPECT_EQ(PythonFileEntryText("abcdefghijklmnop.py1", "1234"),
              "abcdefghijklmnop.py1    1234    ");
    EXPECT_EQ(PythonFileEntryText("a.txt", "12").find("12"), 24u);
    EXPECT_EQ(PythonFileEntryText("abcdefghijklmnop.py1", "1").find('1', 20), 24u);
}

TEST(PythonFileEntryText, LongNamesStayWholeBeforeTheirSize) {
    EXPECT_EQ(PythonFileEntryText("abcdefghijklmnop.py12", "7"),
              "abcdefghijklmnop.py12    7       ");
    EXPECT_EQ(PythonFileEntryText("n", "123456789"), "n                       123456789");
}

TEST(ReadFileSize, TakesOnlyDecimalSizesThatADownloadCanHold) {
    const std::pair<const char*, std::optional<uint32_t>> cases[] = {
        {"", 0u},           {"0", 0u},
        {"1234", 1234u},    {"7000000", 7000000u},
        {"7000001", {}},    {"-1", {}},
        {"+5", {}},         {"12a", {}},
        {"4294967296", {}}, {"99999999999999999999999", {}},
        {"0x10", {}},       {"1 2", {}},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(ReadFileSize(text), expected) << text;
}

TEST(MakePythonFileEntry, KeepsTheWholeNameAndTheCleanedSize) {
    const PythonFileEntry entry = MakePythonFileEntry("my script.py", " 1 2\t");
    EXPECT_EQ(entry.name, "my script.py");
    EXPECT_EQ(entry.sizeText, "12");
    EXPECT_EQ(entry.size, 12u);
    EXPECT_EQ(entry.text, PythonFileEntryText("my script.py", " 1 2\t"));
}

TEST(ReadPythonFileList, ListsEveryFileWithNameAndSize) {
    const PythonFileListing listing = ReadPythonFileList(ListAnswer(
        "<file name=\"a.txt\" size=\"12\"/><file name=\"abcdefghijklmnop.py1\" size=\"3\"/>"
        "<file name=\"abcdefghijklmnop.py12\" size=\"-4\"/><file name=\"my script.py\" "
        "size=\"5\"/>"));
    ASSERT_TRUE(listing.answered);
    ASSERT_EQ(listing.entries.size(), 4u);
    EXPECT_EQ(listing.entries[0].text, "a.txt                   12      ");
    EXPECT_EQ(listing.entries[2].text, "abcdefghijklmnop.py12    -4      ");
    EXPECT_FALSE(listing.entries[2].size) << "a negative size is no size";
    EXPECT_EQ(listing.entries[3].name, "my script.py");
    EXPECT_EQ(FindPythonFile(listing, "my script.py"), &listing.entries[3]);
    EXPECT_EQ(FindPythonFile(listing, "my"), nullptr);
}

TEST(ReadPythonFileList, TheFirstChildCountsWhateverItsNameLaterOnlyFiles) {
    PythonFileListing listing = ReadPythonFileList(
        ListAnswer("<other name=\"first\" size=\"1\"/><file name=\"second\" size=\"2\"/>"
                   "<other name=\"skipped\" size=\"3\"/><FILE name=\"third\" size=\"4\"/>"));
    ASSERT_EQ(listing.entries.size(), 3u);
    EXPECT_EQ(listing.entries[0].name, "first");
    EXPECT_EQ(listing.entries[1].name, "second");
    EXPECT_EQ(listing.entries[2].name, "third");

    // Folders (no size) and files without a size are not listed; a leading text node is
    // passed over.
    listing = ReadPythonFileList(ListAnswer(
        "\n  <dir name=\"lib\"/><file name=\"nosize.py\"/><file name=\"main.py\" size=\"9\"/>"));
    ASSERT_EQ(listing.entries.size(), 1u);
    EXPECT_EQ(listing.entries[0].name, "main.py");
}

TEST(ReadPythonFileList, AnswersWithoutAListAreToldApart) {
    EXPECT_FALSE(ReadPythonFileList("").answered);
    EXPECT_FALSE(ReadPythonFileList("ERROR").answered);
    EXPECT_FALSE(ReadPythonFileList("<rci_reply><do_command>").answered);
    const PythonFileListing noLs = ReadPythonFileList("<rci_reply><do_command/></rci_reply>");
    EXPECT_TRUE(noLs.answered);
    EXPECT_TRUE(noLs.entries.empty());
}

TEST(PythonFileListRequest, IsTheTwoPartLsRequest) {
    CommandList list;
    AppendPythonFileListRequest(list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].command, "at&usbinterface=22\r\n");
    EXPECT_EQ(list[0].timeout, 5000);
    EXPECT_EQ(list[1].command,
              "<rci_request version='1.1'><do_command target='file_system'><ls dir='/WEB/python'/>"
              "</do_command></rci_request>");
    EXPECT_EQ(list[1].timeout, 30000);
    for (const USBCommand& command : list)
        EXPECT_EQ(command.message, "Retrieving file list from the device...");
}

}  // namespace
}  // namespace merivane
