#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "DevicePageFixture.h"
#include "pages/PythonPage.h"
#include "sim/FirmwareImage.h"

namespace merivane {
namespace {

using test::ScriptedPrompts;

constexpr char kPython[] = "/WEB/python/";

class PythonPageTest : public test::DevicePageFixture<PythonPage> {
  protected:
    void Put(const std::string& name, const std::string& data) {
        ASSERT_TRUE(device_->PutFile(kPython + name, data));
    }

    QTreeWidget* List() { return Find<QTreeWidget>("fileList"); }
    void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }

    // The entries as shown, in list order.
    std::vector<std::string> Shown() {
        std::vector<std::string> texts;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            texts.push_back(List()->topLevelItem(i)->text(0).toStdString());
        return texts;
    }

    // The shown entry of the file named exactly `name`.
    QTreeWidgetItem* Entry(const std::string& name) {
        const std::vector<PythonFileEntry>& files = page_.Files();
        for (size_t i = 0; i < files.size(); ++i)
            if (files[i].name == name) return List()->topLevelItem(static_cast<int>(i));
        return nullptr;
    }

    void Check(const std::string& name) {
        QTreeWidgetItem* item = Entry(name);
        ASSERT_NE(item, nullptr) << name;
        item->setCheckState(0, Qt::Checked);
    }

    // Chooses `path` through Browse..., as the user does.
    void Browse(const std::string& path) {
        prompts_.QueueFile(path);
        Click("browseButton");
    }
};

TEST_F(PythonPageTest, TheListShowsEachFileWithItsSizeInAFixedPitchFont) {
    Put("a.txt", "12345");
    Put("abcdefghijklmnop.py1", std::string(20, 'x'));
    Put("abcdefghijklmnop.py12", std::string(21, 'y'));
    LoadDocuments();
    Open();

    const std::vector<std::string> shown = Shown();
    const auto has = [&](const std::string& text) {
        return std::find(shown.begin(), shown.end(), text) != shown.end();
    };
    EXPECT_TRUE(has("a.txt                   5       "));
    EXPECT_TRUE(has("abcdefghijklmnop.py1    20      "));
    EXPECT_TRUE(has("abcdefghijklmnop.py12    21      "));
    EXPECT_EQ(shown.size(), device_->FileNames("/WEB/python").size());
    for (int i = 0; i < List()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = List()->topLevelItem(i);
        EXPECT_EQ(item->checkState(0), Qt::Unchecked);
        EXPECT_TRUE(item->flags() & Qt::ItemIsUserCheckable);
        EXPECT_EQ(item->childCount(), 0);
    }
    EXPECT_TRUE(QFontInfo(List()->font()).fixedPitch());
    // The sizes of names up to 20 characters start at the same place.
    const QFontMetrics metrics(List()->font());
    EXPECT_EQ(metrics.horizontalAdvance(QString(24, ' ')),
              metrics.horizontalAdvance("abcdefghijklmnop.py1    "));
    EXPECT_EQ(metrics.horizontalAdvance("a.txt                   "),
              metrics.horizontalAdvance("abcdefghijklmnop.py1    "));

    // The auto-start settings as the device has them.
    EXPECT_FALSE(Find<QCheckBox>("autostartCheck")->isChecked());
    EXPECT_EQ(Find<QLineEdit>("autostartCommandEdit")->text(), "main.py");
    EXPECT_FALSE(page_.IsModified());
}

TEST_F(PythonPageTest, DeleteRefusesThePythonArchiveAndSendsNothing) {
    LoadDocuments();
    Open();
    const std::vector<std::string> before = Shown();
    Check("main.py");
    Check("python.zip");
    device_->ClearReceivedCommands();
    Click("deleteButton");
    EXPECT_EQ(prompts_.Texts(), std::vector<std::string>{"python.zip cannot be deleted"});
    EXPECT_TRUE(device_->ReceivedCommands().empty());
    EXPECT_TRUE(device_->FileContents("/WEB/python/main.py"));
    EXPECT_EQ(Shown(), before) << "the list is not refreshed";
}

TEST_F(PythonPageTest, DeleteWithNothingCheckedOnlyFetchesTheListAgain) {
    Open();
    Put("late.py", "added after the page opened");
    executor_.batches.clear();
    Click("deleteButton");
    ASSERT_EQ(executor_.batches.size(), 1u);
    EXPECT_EQ(executor_.batches[0].size(), 2u);
    EXPECT_EQ(executor_.batches[0][1].command, rci::kListPythonFiles);
    EXPECT_NE(Entry("late.py"), nullptr);
    EXPECT_TRUE(prompts_.ShownPrompts().empty());
}

TEST_F(PythonPageTest, ANameWithASpaceIsDeletedUnderItsWholeName) {
    Put("my", "another file");
    Put("my script.py", "print(1)\n");
    Put("b.py", "b");
    Open();
    Check("my script.py");
    Check("b.py");
    Click("deleteButton");

    EXPECT_FALSE(device_->FileContents("/WEB/python/my script.py"));
    EXPECT_FALSE(device_->FileContents("/WEB/python/b.py"));
    EXPECT_EQ(device_->FileContents("/WEB/python/my"), "another file");
    EXPECT_EQ(Entry("my script.py"), nullptr);
    EXPECT_EQ(Entry("b.py"), nullptr);
    EXPECT_NE(Entry("my"), nullptr);
    ASSERT_EQ(page_.Files().size(), device_->FileNames("/WEB/python").size());
    // One batch: 22 and rm for each, in list order, then the list request.
    ASSERT_EQ(executor_.batches.size(), 2u);
    EXPECT_EQ(executor_.batches[1].size(), 6u);
}

struct RoundTrip {
    size_t size;
    bool binary;
};

class PythonPageRoundTripTest : public PythonPageTest,
                                public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(PythonPageRoundTripTest, AFileUploadedAndDownloadedThroughThePageComesBackWhole) {
    const RoundTrip trip = GetParam();
    const std::string name =
        std::string(trip.binary ? "blob" : "text") + std::to_string(trip.size) + ".py";
    const std::string local =
        LocalFile(name, trip.size, trip.binary, static_cast<unsigned>(trip.size));
    Open();

    Browse(local);
    EXPECT_EQ(Find<QLineEdit>("uploadPathEdit")->text().toStdString(), local);
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].caption, "*.py|*.*||");
    Click("uploadButton");

    EXPECT_EQ(device_->FileContents(kPython + name), test::ReadWholeFile(local));
    EXPECT_EQ(ReceivedWith("at&usbinterface=41,\"/WEB/python/" + name + "\"").size(), 1u);
    QTreeWidgetItem* entry = Entry(name);
    ASSERT_NE(entry, nullptr) << "the list comes back with the upload";
    EXPECT_EQ(entry->text(0).toStdString(),
              name + std::string(20 - name.size(), ' ') + "    " + std::to_string(trip.size) +
                  std::string(8 - std::to_string(trip.size).size(), ' '));
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u) << "no message after a good upload";

    std::filesystem::create_directory(dir_.File("saved"));
    const std::string saved = dir_.File("saved/" + name);
    entry->setCheckState(0, Qt::Checked);
    prompts_.QueueFile(saved);
    Click("downloadButton");
    EXPECT_EQ(test::ReadWholeFile(saved), test::ReadWholeFile(local));
    ASSERT_EQ(prompts_.ShownPrompts().size(), 2u);
    EXPECT_EQ(prompts_.ShownPrompts()[1].kind, ScriptedPrompts::Kind::SaveFile);
    EXPECT_EQ(prompts_.ShownPrompts()[1].text, name);
    EXPECT_EQ(ReceivedWith("at&usbinterface=41,\"/WEB/python/" + name + "\"").size(), 2u)
        << "the download asks for the device's digest too";
}

INSTANTIATE_TEST_SUITE_P(Sizes, PythonPageRoundTripTest,
                         ::testing::Values(RoundTrip{0, false}, RoundTrip{1, true},
                                           RoundTrip{1025, true}, RoundTrip{300000, false}),
                         [](const auto& info) {
                             return std::string(info.param.binary ? "Binary" : "Text") +
                                    std::to_string(info.param.size);
                         });

TEST_F(PythonPageTest, ACorruptedUploadIsSaidAndRetried) {
    const std::string local = LocalFile("main.py", 5000, true);
    Open();
    Browse(local);
    ASSERT_TRUE(device_->AddFault("corrupt-upload"));
    prompts_.ClearShown();
    prompts_.QueueAnswer(Prompts::Answer::Retry);
    Click("uploadButton");
    ASSERT_EQ(prompts_.ShownPrompts().size(), 1u);
    EXPECT_EQ(prompts_.ShownPrompts()[0].text,
              "The file " + local + " did not correctly transfer.");
    EXPECT_EQ(prompts_.ShownPrompts()[0].kind, ScriptedPrompts::Kind::RetryCancel);
    EXPECT_EQ(executor_.uploads.size(), 2u);
    EXPECT_EQ(device_->FileContents("/WEB/python/main.py"), test::ReadWholeFile(local));
    EXPECT_NE(Entry("main.py"), nullptr);
}

TEST_F(PythonPageTest, UploadPathsThatCannotBeSentAreRefusedBeforeAnythingIsSent) {
    Open();
    struct Case {
        std::string path;
        const char* message;
    };
    const Case cases[] = {
        {"", "You must select a file to send."},
        {dir_.File("(old)/main.py"), "Cannot uplaod a file with special charcater in filename"},
        {"&main.py", "Cannot uplaod a file with special charcater in filename"},
    };
    device_->ClearReceivedCommands();
    for (const Case& c : cases) {
        prompts_.ClearShown();
        // Typed by hand: the page takes the edit box's text.
        Find<QLineEdit>("uploadPathEdit")->setText(QString::fromStdString(c.path));
        Click("uploadButton");
        EXPECT_EQ(prompts_.Texts(), std::vector<std::string>{c.message}) << c.path;
    }
    EXPECT_TRUE(device_->ReceivedCommands().empty());
    EXPECT_TRUE(executor_.uploads.empty());
}

TEST_F(PythonPageTest, ACorruptedDownloadIsCaughtAndTheUsersFileKept) {
    Put("main.py", "print('hello')\n");
    Open();
    const std::string target = dir_.File("main.py");
    test::WriteWholeFile(target, "the user's own file");
    ASSERT_TRUE(device_->AddFault("bad-xml:get_file"));
    Check("main.py");
    Click("downloadButton");
    EXPECT_EQ(prompts_.Texts(),
              std::vector<std::string>{
                  "File download failed.\r\nSelect Retry to attempt the file download again."});
    EXPECT_EQ(test::ReadWholeFile(target), "the user's own file");
}

TEST_F(PythonPageTest, AutostartNeedsACommandLineAndIsAppliedThroughTheSheet) {
    LoadDocuments();
    Open();
    auto* check = Find<QCheckBox>("autostartCheck");
    auto* command = Find<QLineEdit>("autostartCommandEdit");

    command->clear();
    check->click();
    EXPECT_TRUE(page_.IsModified());
    EXPECT_TRUE(sheet_.ApplyButton()->isEnabled());
    sheet_.Apply();
    EXPECT_EQ(prompts_.Texts(),
              std::vector<std::string>{"Please enter the filename for python auto-start"});
    EXPECT_FALSE(device_->AutostartOn());

    prompts_.ClearShown();
    QTest::keyClicks(command, "main.py --fast");
    sheet_.Apply();
    EXPECT_TRUE(prompts_.ShownPrompts().empty());
    EXPECT_TRUE(device_->AutostartOn());
    EXPECT_EQ(device_->Setting("python/command"), "main.py --fast");
    EXPECT_FALSE(page_.IsModified());

    // Off with an empty command line goes through.
    check->click();
    command->clear();
    sheet_.Apply();
    EXPECT_TRUE(prompts_.ShownPrompts().empty());
    EXPECT_FALSE(device_->AutostartOn());
    EXPECT_EQ(device_->Setting("python/command"), "");
}

// Auto-start on for a file the device lacks, and deleting the file auto-start runs, each ask
// first: the device would start a program it does not have.
TEST_F(PythonPageTest, AProgramTheDeviceWouldStartWithoutHavingItIsAskedAbout) {
    LoadDocuments();
    Open();
    auto* command = Find<QLineEdit>("autostartCommandEdit");
    command->clear();
    QTest::keyClicks(command, "missing.py");
    Find<QCheckBox>("autostartCheck")->click();
    const std::string missing =
        "Python auto-start runs missing.py, which is not in the device's Python folder: the "
        "device will start a program it does not have.\r\n\r\nApply it anyway?";
    const std::string deleted =
        "main.py is the program Python auto-start runs: without it the device will start a "
        "program it does not have.\r\n\r\nDelete it?";
    auto asked = [&] {
        return prompts_.ShownPrompts().empty() ? std::string()
                                               : prompts_.ShownPrompts().back().text;
    };
    sheet_.Apply();  // answered No
    EXPECT_EQ(asked(), missing);
    EXPECT_FALSE(device_->AutostartOn());
    prompts_.QueueAnswer(Prompts::Answer::Yes);
    sheet_.Apply();
    EXPECT_TRUE(device_->AutostartOn());

    // Auto-start on main.py, which is there: no question.
    command->setText("main.py");
    page_.SetModified();
    prompts_.ClearShown();
    sheet_.Apply();
    EXPECT_TRUE(prompts_.ShownPrompts().empty());
    Check("main.py");
    Click("deleteButton");  // answered No
    EXPECT_EQ(asked(), deleted);
    EXPECT_TRUE(device_->FileContents(kPython + std::string("main.py")));
    prompts_.QueueAnswer(Prompts::Answer::Yes);
    Click("deleteButton");
    EXPECT_FALSE(device_->FileContents(kPython + std::string("main.py")));
}

TEST_F(PythonPageTest, RefreshDropsUnappliedEditsAndShowsTheDevicesValues) {
    LoadDocuments();
    Open();
    auto* command = Find<QLineEdit>("autostartCommandEdit");
    QTest::keyClicks(command, " --edited");
    EXPECT_TRUE(page_.IsModified());
    Put("new.py", "n");
    Click("refreshButton");
    EXPECT_EQ(command->text(), "main.py");
    EXPECT_FALSE(page_.IsModified());
    EXPECT_NE(Entry("new.py"), nullptr);
}

TEST_F(PythonPageTest, EveryControlIsNamedByItsLabel) {
    const std::pair<const char*, const char*> named[] = {
        {"fileList", "Manage Files"},
        {"refreshButton", "Refresh"},
        {"downloadButton", "Download"},
        {"deleteButton", "Delete"},
        {"uploadPathEdit", "Upload File"},
        {"browseButton", "Browse for upload file"},
        {"uploadButton", "Upload"},
        {"autostartCheck", "Enable"},
        {"autostartCommandEdit",
         "Auto-start command line (specify program filename to execute and any arguments)"},
    };
    for (const auto& [object, name] : named)
        EXPECT_EQ(test::AccessibleName(Find<QWidget>(object)), name) << object;
    EXPECT_EQ(page_.Caption(), "Python");
}

}  // namespace
}  // namespace merivane
