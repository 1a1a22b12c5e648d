#pragma once

// Shared pieces of the tests of the pages that work on the device: a simulated
// device on a pseudo-terminal, the application connected to it, the desktop's
// own progress dialogs (recorded), scripted prompts, a fast clock and an
// EndProcess that throws instead of ending the run. The page sits alone on a
// property sheet.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QWidget>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "app/CKestrionApp.h"
#include "app/EndProcess.h"
#include "settings/RciRequests.h"
#include "sim/SimulatedDevice.h"
#include "support/Clock.h"
#include "support/RecordingExecutor.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "ui/DialogExecutor.h"
#include "ui/KestrionPropertySheet.h"

namespace merivane::test {

using RecordingDialogExecutor = RecordingExecutorOver<DialogExecutor>;

// The name a screen reader reads for `widget`.
inline std::string AccessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name).toStdString() : std::string();
}

template <typename Page>
class DevicePageFixture : public ::testing::Test {
  protected:
    DevicePageFixture() : clock_(50.0, 1500), installed_(clock_) {
        SetEndProcessHandler([](int code) { throw ProcessEnded{code}; });
    }
    ~DevicePageFixture() override { SetEndProcessHandler(nullptr); }

    void SetUp() override {
        options_.console = false;
        options_.linkPath = dir_.File("ttyDEVICE");
        device_ = std::make_unique<sim::SimulatedDevice>(options_);
        ASSERT_TRUE(device_->Start());
        ASSERT_TRUE(app_.Link().OpenNamedPort(device_->LinkPath()));
        sheet_.AddPage(&page_);
    }

    // Loads the documents the pages read, as identification does.
    void LoadDocuments() {
        Documents().LoadSettingsDocument(Ask(rci::kQuerySettings));
        Documents().LoadStateDocument(Ask(rci::kQueryState));
        Documents().LoadZelboDocument(Ask(rci::kQueryZelboSettings));
    }

    // Shows the sheet with the page active (and so initialised).
    void Open() {
        sheet_.SetActivePage(0);
        sheet_.show();
        ProcessEvents();
    }

    DocumentStore& Documents() { return app_.Documents(); }

    // Every command line the device received that contains `piece`.
    std::vector<std::string> ReceivedWith(const std::string& piece) const {
        std::vector<std::string> found;
        for (const std::string& line : device_->ReceivedCommands())
            if (line.find(piece) != std::string::npos) found.push_back(line);
        return found;
    }

    // A local file of `size` bytes: printable text or any bytes.
    std::string LocalFile(const std::string& name, size_t size, bool binary, unsigned seed = 1) {
        const std::string path = dir_.File(name);
        WriteWholeFile(path, MadeUpContent(size, binary, seed));
        return path;
    }

    template <typename W>
    W* Find(const char* name) {
        W* widget = page_.template findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    sim::DeviceOptions options_;
    ScaledClock clock_;
    ScopedClock installed_;
    TempDir dir_;
    std::unique_ptr<sim::SimulatedDevice> device_;
    CKestrionApp app_{std::make_unique<FixedPortSource>()};
    RecordingDialogExecutor executor_{app_.Link()};
    ScriptedPrompts prompts_;
    Page page_;
    KestrionPropertySheet sheet_{PageContext{app_, prompts_, executor_}};

  private:
    std::string Ask(std::string_view request) {
        CommandList list = {{rci::InlineCommand(request), "", 20000}};
        HeadlessExecutor(app_.Link()).RunBatch(list);
        return list[0].result;
    }
};

}  // namespace merivane::test
