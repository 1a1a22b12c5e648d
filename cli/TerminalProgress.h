#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "support/ProgressSink.h"

namespace merivane::cli {

// A progress bar on one terminal line: the bar, the percentage and the step text, in
// the same units the dialogs' bars count. Redraws only when what it shows changes.
class TerminalProgress : public ProgressSink {
  public:
    explicit TerminalProgress(FILE* out) : out_(out) {}

    int Position() override;
    void SetPosition(int position) override;
    void Step() override;
    void SetRange(int low, int high) override;
    void SetStepSize(int step) override;

    // The text beside the bar.
    void ShowStep(const std::string& text);
    // Clears the line (the end of a batch or upload).
    void Finish();

    // The bar as drawn: "[####------]  40% text" for `width` marks.
    static std::string Line(int low, int high, int position, const std::string& text, int width);

  private:
    void Draw();

    FILE* out_;
    std::mutex mutex_;
    int low_ = 0;
    int high_ = 100;
    int position_ = 0;
    int step_ = 10;
    std::string text_;
    std::string drawn_;
};

}  // namespace merivane::cli
