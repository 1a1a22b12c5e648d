#include "cli/TerminalProgress.h"

#include <algorithm>

#include "support/TerminalText.h"

namespace merivane::cli {
namespace {

constexpr int kBarWidth = 30;
// Step texts are cut so that the line fits an 80-column terminal.
constexpr size_t kTextRoom = 40;

}  // namespace

int TerminalProgress::Position() {
    std::lock_guard<std::mutex> lock(mutex_);
    return position_;
}

void TerminalProgress::SetPosition(int position) {
    std::lock_guard<std::mutex> lock(mutex_);
    position_ = position;
    Draw();
}

void TerminalProgress::Step() {
    std::lock_guard<std::mutex> lock(mutex_);
    position_ += step_;
    Draw();
}

void TerminalProgress::SetRange(int low, int high) {
    std::lock_guard<std::mutex> lock(mutex_);
    low_ = low;
    high_ = high;
    Draw();
}

void TerminalProgress::SetStepSize(int step) {
    std::lock_guard<std::mutex> lock(mutex_);
    step_ = step;
}

void TerminalProgress::ShowStep(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    text_ = TerminalSafe(text).substr(0, kTextRoom);
    Draw();
}

void TerminalProgress::Finish() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!drawn_.empty()) std::fputs("\r\033[K", out_);
    std::fflush(out_);
    drawn_.clear();
    text_.clear();
}

std::string TerminalProgress::Line(int low, int high, int position, const std::string& text,
                                   int width) {
    const int span = high - low;
    // A bar control keeps its position inside its range.
    const int done = span > 0 ? std::clamp(position - low, 0, span) : 0;
    const int percent = span > 0 ? static_cast<int>(int64_t{done} * 100 / span) : 0;
    const int marks = span > 0 ? static_cast<int>(int64_t{done} * width / span) : 0;
    std::string line = "[" + std::string(static_cast<size_t>(marks), '#') +
                       std::string(static_cast<size_t>(width - marks), '-') + "] ";
    const std::string number = std::to_string(percent);
    line += std::string(3 - std::min<size_t>(3, number.size()), ' ') + number + "%";
    if (!text.empty()) line += " " + text;
    return line;
}

void TerminalProgress::Draw() {
    const std::string line = Line(low_, high_, position_, text_, kBarWidth);
    if (line == drawn_) return;
    drawn_ = line;
    std::fprintf(out_, "\r\033[K%s", line.c_str());
    std::fflush(out_);
}

}  // namespace merivane::cli
