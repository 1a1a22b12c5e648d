#pragma once

// Shared pieces of the device operation tests: a simulated device with the
// tool's transport, a fast clock, scripted prompts and an executor that
// records every batch and upload it runs.

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/BatchExecutor.h"
#include "app/EndProcess.h"
#include "settings/DocumentStore.h"
#include "support/Clock.h"
#include "support/RecordingExecutor.h"
#include "support/ScriptedPrompts.h"
#include "support/SimFixture.h"

namespace merivane::test {

using RecordingExecutor = RecordingExecutorOver<HeadlessExecutor>;

class OpsFixture : public SimFixture {
  protected:
    OpsFixture() : clock_(50.0, 1500), installed_(clock_) {
        SetEndProcessHandler([](int code) { throw ProcessEnded{code}; });
    }
    ~OpsFixture() override { SetEndProcessHandler(nullptr); }

    // A local file of `size` bytes: printable text or any bytes.
    std::string LocalFile(const std::string& name, size_t size, bool binary, unsigned seed = 1) {
        const std::string path = dir_.File(name);
        WriteWholeFile(path, MadeUpContent(size, binary, seed));
        return path;
    }

    // Runs one inline or two-part exchange outside the operations under test.
    std::string Ask(const std::string& command, int timeoutMs = 20000) {
        CommandList list = {{command, "", timeoutMs}};
        HeadlessExecutor(transport_).RunBatch(list);
        return list[0].result;
    }

    // Every command line the device received that contains `piece`.
    std::vector<std::string> ReceivedWith(const std::string& piece) const {
        std::vector<std::string> found;
        for (const std::string& line : device_->ReceivedCommands())
            if (line.find(piece) != std::string::npos) found.push_back(line);
        return found;
    }

    ScaledClock clock_;
    ScopedClock installed_;
    RecordingExecutor executor_{transport_};
    ScriptedPrompts prompts_;
    DocumentStore documents_;
};

}  // namespace merivane::test
