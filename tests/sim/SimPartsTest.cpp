// Small parts of the simulated device: fault specs, the upload steps, device
// paths, Base64, firmware versions and the devsim command line.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/Base64Encoder.h"
#include "sim/DeviceFileSystem.h"
#include "sim/DevsimCommandLine.h"
#include "sim/FaultPlan.h"
#include "sim/FirmwareImage.h"
#include "sim/UploadSession.h"
#include "support/Base64.h"

namespace merivane::sim {
namespace {

TEST(SimPartsTest, CommandFaultsMatchSubstringsIgnoringCaseWithPrecedence) {
    FaultPlan plan;
    ASSERT_TRUE(plan.Add("error:csq"));
    ASSERT_TRUE(plan.Add("silent:AT+C"));
    ASSERT_TRUE(plan.Add("huge:query_state"));
    EXPECT_EQ(plan.ForCommand("AT+CSQ"), FaultPlan::Kind::Silent);
    EXPECT_EQ(plan.ForCommand("at&usbinterface=20,\"<rci_request><QUERY_STATE/></rci_request>\""),
              FaultPlan::Kind::Huge);
    EXPECT_EQ(plan.ForCommand("ATI9"), std::nullopt);
    EXPECT_FALSE(plan.Number(FaultPlan::Kind::Slow));
    ASSERT_TRUE(plan.Add("slow:250"));
    EXPECT_EQ(plan.Number(FaultPlan::Kind::Slow), 250u);
}

TEST(SimPartsTest, OneShotFaultsAreTakenOnce) {
    FaultPlan plan;
    ASSERT_TRUE(plan.Add("corrupt-upload"));
    EXPECT_TRUE(plan.Take(FaultPlan::Kind::CorruptUpload));
    EXPECT_FALSE(plan.Take(FaultPlan::Kind::CorruptUpload));
    ASSERT_TRUE(plan.Add("corrupt-download"));
    EXPECT_FALSE(plan.Take(FaultPlan::Kind::CorruptUpload));
    EXPECT_TRUE(plan.Take(FaultPlan::Kind::CorruptDownload));
    EXPECT_FALSE(plan.Add("corrupt-download:1"));
    ASSERT_TRUE(plan.Add("garbage"));
    plan.Clear();
    EXPECT_FALSE(plan.Has(FaultPlan::Kind::Garbage));
}

TEST(SimPartsTest, UploadStepsMustComeInOrder) {
    DeviceFileSystem files;
    UploadSession session;
    EXPECT_FALSE(session.Open());
    EXPECT_FALSE(session.Confirm("4"));
    EXPECT_FALSE(session.Announce("-1"));
    EXPECT_FALSE(session.Announce("999999999999"));
    ASSERT_TRUE(session.Announce("4"));
    EXPECT_FALSE(session.Name("/WEB/python/a.py"));  // before the size was repeated
    EXPECT_FALSE(session.Confirm("5"));
    ASSERT_TRUE(session.Announce("4"));
    ASSERT_TRUE(session.Confirm("4"));
    EXPECT_FALSE(session.Name("relative.py"));
    ASSERT_TRUE(session.Name("/WEB//python/a.py"));
    EXPECT_EQ(session.Path(), "/WEB/python/a.py");
    ASSERT_EQ(session.Open(), 4u);
    EXPECT_FALSE(session.Store("abc", files));  // short data is not stored
    EXPECT_FALSE(files.Read("/WEB/python/a.py"));
    EXPECT_FALSE(session.Close("4"));

    ASSERT_TRUE(session.Announce("4") && session.Confirm("4") && session.Name("/WEB/python/a.py"));
    ASSERT_TRUE(session.Open());
    EXPECT_TRUE(session.Store("abcd", files));
    EXPECT_EQ(files.Read("/WEB/python/a.py"), "abcd");
    EXPECT_TRUE(session.Close("4"));
    EXPECT_FALSE(session.Close("4"));
}

TEST(SimPartsTest, DevicePathsStayInsideTheFileSystem) {
    struct Case {
        const char* path;
        const char* clean;  // null: refused
    };
    const Case cases[] = {
        {"/WEB/python/a.py", "/WEB/python/a.py"},
        {"//WEB///python/", "/WEB/python"},
        {"/", "/"},
        {"WEB/python", nullptr},
        {"", nullptr},
        {"/WEB/../etc", nullptr},
        {"/./x", nullptr},
    };
    for (const Case& c : cases) {
        const auto clean = DeviceFileSystem::Normalize(c.path);
        if (c.clean) {
            EXPECT_EQ(clean, c.clean) << c.path;
        } else {
            EXPECT_FALSE(clean) << c.path;
        }
    }
}

TEST(SimPartsTest, FileSystemListsFilesBeforeFoldersAndRefusesFilesOverFolders) {
    DeviceFileSystem files;
    ASSERT_TRUE(files.Write("/d/b.txt", "bb"));
    ASSERT_TRUE(files.Write("/d/a.txt", "a"));
    ASSERT_TRUE(files.MakeFolder("/d/sub"));
    EXPECT_FALSE(files.Write("/d/sub", "x"));
    EXPECT_FALSE(files.Write("/d/a.txt/inner", "x"));
    const auto entries = files.List("/d");
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ((*entries)[0].name, "a.txt");
    EXPECT_EQ((*entries)[1].size, 2u);
    EXPECT_TRUE((*entries)[2].folder);
    EXPECT_FALSE(files.List("/none"));
    EXPECT_TRUE(files.Remove("/d/a.txt"));
    EXPECT_FALSE(files.Remove("/d/a.txt"));
}

TEST(SimPartsTest, Base64EncodingRoundTripsThroughTheToolsDecoder) {
    EXPECT_EQ(Base64Encode(""), "");
    EXPECT_EQ(Base64Encode("A"), "QQ==");
    EXPECT_EQ(Base64Encode("AB"), "QUI=");
    EXPECT_EQ(Base64Encode("ABC"), "QUJD");
    std::string bytes;
    for (int i = 0; i < 1000; ++i) {
        bytes += static_cast<char>(i * 37);
        EXPECT_EQ(Base64DecodeToString(Base64Encode(bytes)), bytes) << i;
    }
}

TEST(SimPartsTest, FirmwareVersionComesFromTheImage) {
    EXPECT_EQ(FirmwareVersionOf(std::string("\x7f"
                                            "ELF...VERSION=4.2.0-rc1\0tail",
                                            28)),
              "4.2.0-rc1");
    EXPECT_EQ(FirmwareVersionOf("version=" + std::string(40, '9')), std::string(32, '9'));
    const std::string plain = "no marker in here";
    EXPECT_EQ(FirmwareVersionOf(plain), "0.0." + Md5Hex(plain).substr(0, 8));
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(SimPartsTest, DevsimCommandLineTakesEveryOption) {
    DevsimCommandLine line;
    std::string error;
    ASSERT_TRUE(
        line.Parse({"--link", "/tmp/x", "--product=korvane", "--no-radio", "--no-echo", "--chatter",
                    "--autostart", "on", "--state-dir", "/tmp/s", "--log=/tmp/l", "--fault",
                    "split", "--fault", "silent:AT+CSQ", "--no-sim", "--quiet-console"},
                   error))
        << error;
    const DeviceOptions& o = line.options;
    EXPECT_EQ(o.linkPath, "/tmp/x");
    EXPECT_EQ(o.product, Product::Korvane);
    EXPECT_FALSE(o.radio);
    EXPECT_FALSE(o.echo);
    EXPECT_TRUE(o.chatter);
    EXPECT_EQ(line.autostart, true);
    EXPECT_EQ(o.stateDir, "/tmp/s");
    EXPECT_EQ(o.logPath, "/tmp/l");
    EXPECT_EQ(o.faults, (std::vector<std::string>{"split", "silent:AT+CSQ"}));
    EXPECT_FALSE(o.sim);
    EXPECT_FALSE(o.console);

    for (std::vector<std::string> bad :
         std::vector<std::vector<std::string>>{{},
                                               {"--link"},
                                               {"--link", "x", "--product", "other"},
                                               {"--link", "x", "--autostart", "maybe"},
                                               {"--link", "x", "--fault", "bogus"},
                                               {"--link", "x", "--chatter=yes"},
                                               {"--link", "x", "extra"}}) {
        DevsimCommandLine refused;
        EXPECT_FALSE(refused.Parse(bad, error));
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace merivane::sim
