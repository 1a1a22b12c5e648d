#include <gtest/gtest.h>

#include <string>

#include "settings/RciRequests.h"

namespace merivane {
namespace {

using namespace std::string_literals;

TEST(RciRequests, FixedRequestsByteForByte) {
    const std::pair<std::string_view, const char*> table[] = {
        {rci::kQuerySettings,
         "<rci_request version='1.1'><query_setting></query_setting></rci_request>"},
        {rci::kQueryState, "<rci_request version='1.1'><query_state/></rci_request>"},
        {rci::kQueryProduct,
         "<rci_request version='1.1'><query_state><device_info><product/></device_info>"
         "</query_state></rci_request>"},
        {rci::kQueryPythonAutoStart,
         "<rci_request version='1.1'><query_setting><python><state/></python></query_setting>"
         "</rci_request>"},
        {rci::kSetPythonAutoStartOff,
         "<rci_request version='1.1'><set_setting><python><state>off</state></python>"
         "</set_setting></rci_request>"},
        {rci::kQueryZelboSettings,
         "<rci_request version='1.1'><do_command target='zigbee'><query_setting/></do_command>"
         "</rci_request>"},
        {rci::kSetFactoryDefault,
         "<rci_request version='1.1'><set_factory_default/></rci_request>"},
        {rci::kRemoveFirmwareImage,
         "<rci_request version='1.1'><do_command target='file_system'>"
         "<rm name='/fw/updatefw.dwl'/></do_command></rci_request>"},
        {rci::kListPythonFiles,
         "<rci_request version='1.1'><do_command target='file_system'><ls dir='/WEB/python'/>"
         "</do_command></rci_request>"},
        {rci::kTwoPartLeadIn, "at&usbinterface=22\r\n"},
    };
    for (const auto& [constant, expected] : table) EXPECT_EQ(constant, expected);
}

TEST(RciRequests, InlineFraming) {
    EXPECT_EQ(rci::InlineCommand(rci::kQueryState),
              "at&usbinterface=20,\"<rci_request version='1.1'><query_state/></rci_request>\"\r\n");
    // The start-up query's length matters: its echo is 120 bytes.
    EXPECT_EQ(rci::InlineCommand(rci::kQueryPythonAutoStart).size(), 120u);
}

using Builder = bool (*)(const std::string&, std::string*, std::string*);

struct FileRequestCase {
    const char* name;
    Builder build;
    std::string fileName;
    std::string expected;
};

class RciFileRequest : public ::testing::TestWithParam<FileRequestCase> {};

TEST_P(RciFileRequest, BuildsRequest) {
    const FileRequestCase& c = GetParam();
    std::string request, why = "untouched";
    ASSERT_TRUE(c.build(c.fileName, &request, &why));
    EXPECT_EQ(request, c.expected);
    EXPECT_EQ(why, "untouched");
}

INSTANTIATE_TEST_SUITE_P(
    RciRequestTexts, RciFileRequest,
    ::testing::Values(
        FileRequestCase{"RemovePython", rci::RemovePythonFileRequest, "main.py",
                        "<rci_request version='1.1'><do_command target='file_system'>"
                        "<rm name='/WEB/python/main.py'/></do_command></rci_request>"},
        FileRequestCase{"GetPython", rci::GetPythonFileRequest, "main.py",
                        "<rci_request version='1.1'><do_command target='file_system'>"
                        "<get_file name='/WEB/python/main.py'/></do_command></rci_request>\r\n"},
        FileRequestCase{"RemoveMesh", rci::RemoveMeshFileRequest, "radio-2.1.ebl",
                        "<rci_request version='1.1'><do_command target='file_system'>"
                        "<rm name='/WEB/mesh/radio-2.1.ebl'/></do_command></rci_request>"},
        FileRequestCase{"ZelboUpdate", rci::ZelboFirmwareUpdateRequest, "radio-2.1.ebl",
                        "<rci_request version='1.1'><do_command target='zigbee'>"
                        "<fw_update file='radio-2.1.ebl'/></do_command></rci_request>"},
        FileRequestCase{"EscapesApostrophe", rci::RemovePythonFileRequest, "it's.py",
                        "<rci_request version='1.1'><do_command target='file_system'>"
                        "<rm name='/WEB/python/it&apos;s.py'/></do_command></rci_request>"},
        FileRequestCase{"EscapesMarkup", rci::GetPythonFileRequest, "a&b<c>.py",
                        "<rci_request version='1.1'><do_command target='file_system'>"
                        "<get_file name='/WEB/python/a&amp;b&lt;c&gt;.py'/></do_command>"
                        "</rci_request>\r\n"},
        FileRequestCase{"EscapesInZelboUpdate", rci::ZelboFirmwareUpdateRequest, "x' a='>.ebl",
                        "<rci_request version='1.1'><do_command target='zigbee'>"
                        "<fw_update file='x&apos; a=&apos;&gt;.ebl'/></do_command></rci_request>"},
        FileRequestCase{"KeepsSpacesAndUtf8", rci::RemoveMeshFileRequest, "my radio \xc3\xa9.ebl",
                        "<rci_request version='1.1'><do_command target='file_system'>"
                        "<rm name='/WEB/mesh/my radio \xc3\xa9.ebl'/></do_command></rci_request>"}),
    [](const auto& info) { return std::string(info.param.name); });

struct NameCase {
    const char* label;
    std::string name;
    bool accepted;
};

class RciFileName : public ::testing::TestWithParam<NameCase> {};

TEST_P(RciFileName, AcceptsOrRefuses) {
    const NameCase& c = GetParam();
    std::string why;
    EXPECT_EQ(rci::CheckDeviceFileName(c.name, &why), c.accepted);
    EXPECT_EQ(why.empty(), c.accepted);

    // Every builder agrees with the check and leaves its output alone on refusal.
    for (Builder build : {rci::RemovePythonFileRequest, rci::GetPythonFileRequest,
                          rci::RemoveMeshFileRequest, rci::ZelboFirmwareUpdateRequest}) {
        std::string request = "before";
        EXPECT_EQ(build(c.name, &request, nullptr), c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(request, "before");
        }
    }
    for (const std::string folder : {"/WEB/python/", "/WEB/mesh/"}) {
        std::string command = "before";
        EXPECT_EQ(rci::UploadDestinationCommand(folder + c.name, &command, nullptr), c.accepted);
        EXPECT_EQ(rci::DigestCommand(folder + c.name, &command, nullptr), c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(command, "before");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    RciFileNames, RciFileName,
    ::testing::Values(NameCase{"Plain", "main.py", true}, NameCase{"Spaces", "my file.py", true},
                      NameCase{"DotsInside", "..hidden..py", true},
                      NameCase{"ApostropheAndAmpersand", "it's&ok.py", true},
                      NameCase{"AngleBrackets", "<x>.py", true},
                      NameCase{"HighBytes", "\xc3\xa9t\xc3\xa9.py", true},
                      NameCase{"LongestAllowed", std::string(255, 'a'), true},
                      NameCase{"Empty", "", false}, NameCase{"Dot", ".", false},
                      NameCase{"DotDot", "..", false}, NameCase{"Slash", "sub/main.py", false},
                      NameCase{"Backslash", "sub\\main.py", false},
                      NameCase{"DoubleQuote", "a\"b.py", false},
                      NameCase{"SecondCommand", "a.py\r\nAT+CFUN=1\r\n", false},
                      NameCase{"LineFeed", "a\nb", false}, NameCase{"Tab", "a\tb", false},
                      NameCase{"Nul", "a\0b"s, false}, NameCase{"Delete", "a\x7f", false},
                      NameCase{"TooLong", std::string(256, 'a'), false},
                      NameCase{"Semicolon", "a.py;AT+CFUN=1", false},
                      NameCase{"Comma", "a,b.py", false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(RciDeviceCommands, PathsTravelAsPlainText) {
    std::string command, why;
    ASSERT_TRUE(rci::UploadDestinationCommand("/WEB/python/main.py", &command, &why));
    EXPECT_EQ(command, "AT&USBINTERFACE=9,/WEB/python/main.py\r\n");
    ASSERT_TRUE(rci::UploadDestinationCommand("/fw/updatefw.dwl", &command, &why));
    EXPECT_EQ(command, "AT&USBINTERFACE=9,/fw/updatefw.dwl\r\n");
    ASSERT_TRUE(rci::DigestCommand("/fw/updatefw.dwl", &command, &why));
    EXPECT_EQ(command, "at&usbinterface=41,\"/fw/updatefw.dwl\"\r\n");
    ASSERT_TRUE(rci::DigestCommand("/WEB/mesh/it's&.ebl", &command, &why));
    EXPECT_EQ(command, "at&usbinterface=41,\"/WEB/mesh/it's&.ebl\"\r\n");
}

TEST(RciDeviceCommands, RefusesPathsOutsideKnownFolders) {
    for (const std::string path :
         {"/etc/passwd", "/WEB/python/", "/WEB/python/../x", "/WEB/python/a/b",
          "/fw/updatefw.dwl\r\nAT", "WEB/python/a", "/web/python/a", ""}) {
        SCOPED_TRACE(path);
        std::string command = "before", why;
        EXPECT_FALSE(rci::UploadDestinationCommand(path, &command, &why));
        EXPECT_FALSE(why.empty());
        EXPECT_FALSE(rci::CheckDevicePath(path, nullptr));
        EXPECT_EQ(command, "before");
    }
}

}  // namespace
}  // namespace merivane
