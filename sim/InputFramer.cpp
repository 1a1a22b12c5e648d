#include "sim/InputFramer.h"

#include <algorithm>

namespace merivane::sim {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

void InputFramer::Feed(const char* data, size_t size) {
    if (mode_ == Mode::Data) {
        const size_t take = std::min(size, dataExpected_ - data_.size());
        data_.append(data, take);
        buffer_.append(data + take, size - take);
        return;
    }
    buffer_.append(data, size);
}

void InputFramer::ExpectDocument() {
    EndDocument();
    mode_ = Mode::Document;
}

void InputFramer::ExpectData(size_t size) {
    mode_ = Mode::Data;
    data_.clear();
    dataExpected_ = size;
    // Bytes that came in behind the command already belong to the data.
    const size_t take = std::min(buffer_.size(), size);
    data_.assign(buffer_, 0, take);
    buffer_.erase(0, take);
    lineScan_ = 0;
}

void InputFramer::AbandonData() {
    mode_ = Mode::Lines;
    data_.clear();
    dataExpected_ = 0;
}

void InputFramer::Reset() {
    mode_ = Mode::Lines;
    buffer_.clear();
    data_.clear();
    dataExpected_ = 0;
    lineScan_ = 0;
    EndDocument();
}

int InputFramer::LineEndAt(size_t pos, bool settled) const {
    if (pos >= buffer_.size()) return settled ? 0 : -1;
    if (buffer_[pos] == '\n') return 1;
    if (buffer_[pos] != '\r') return 0;
    if (pos + 1 < buffer_.size()) return buffer_[pos + 1] == '\n' ? 2 : 1;
    return settled ? 1 : -1;
}

Frame InputFramer::Take(Frame::Kind kind, size_t textStart, size_t textEnd, size_t consumed) {
    Frame frame;
    frame.kind = kind;
    frame.text = buffer_.substr(textStart, textEnd - textStart);
    frame.raw = buffer_.substr(0, consumed);
    buffer_.erase(0, consumed);
    lineScan_ = 0;
    return frame;
}

std::optional<Frame> InputFramer::Next(bool settled) {
    switch (mode_) {
        case Mode::Data:
            if (data_.size() < dataExpected_) return std::nullopt;
            {
                Frame frame;
                frame.kind = Frame::Kind::UploadData;
                frame.text.swap(data_);
                mode_ = Mode::Lines;
                dataExpected_ = 0;
                return frame;
            }
        case Mode::Document:
            return NextDocument(settled);
        case Mode::Lines:
            break;
    }
    return NextLine(settled);
}

std::optional<Frame> InputFramer::NextLine(bool settled) {
    for (;;) {
        const size_t end = buffer_.find_first_of("\r\n", lineScan_);
        if (end == std::string::npos) {
            lineScan_ = buffer_.size();
            return std::nullopt;
        }
        const int endLength = LineEndAt(end, settled);
        if (endLength < 0) {
            lineScan_ = end;
            return std::nullopt;
        }
        Frame frame = Take(Frame::Kind::Line, 0, end, end + static_cast<size_t>(endLength));
        // An empty line (a line end on its own) is no command.
        if (!frame.text.empty()) return frame;
    }
}

std::optional<Frame> InputFramer::NextDocument(bool settled) {
    if (docStart_ == std::string::npos) {
        const auto first =
            std::find_if(buffer_.begin(), buffer_.end(), [](char c) { return !IsBlank(c); });
        if (first == buffer_.end()) return std::nullopt;
        if (*first != '<') {
            // Not a document after all: the device takes it as an ordinary command.
            buffer_.erase(buffer_.begin(), first);
            mode_ = Mode::Lines;
            return NextLine(settled);
        }
        docStart_ = static_cast<size_t>(first - buffer_.begin());
    }
    if (docLength_ == std::string::npos) {
        docLength_ = scanner_.Scan(std::string_view(buffer_).substr(docStart_));
        if (docLength_ == DocumentScanner::npos) return std::nullopt;
    }
    const size_t docEnd = docStart_ + docLength_;
    const int endLength = LineEndAt(docEnd, settled);
    if (endLength < 0) return std::nullopt;
    Frame frame =
        Take(Frame::Kind::Document, docStart_, docEnd, docEnd + static_cast<size_t>(endLength));
    EndDocument();
    return frame;
}

void InputFramer::EndDocument() {
    mode_ = Mode::Lines;
    docStart_ = std::string::npos;
    docLength_ = std::string::npos;
    scanner_.Reset();
}

bool InputFramer::EndPending() const {
    if (mode_ == Mode::Data || buffer_.empty()) return false;
    if (buffer_.back() == '\r') return true;
    // A document whose root has closed with nothing after it yet.
    return mode_ == Mode::Document && docLength_ != std::string::npos;
}

bool InputFramer::DocumentPartial() const {
    return mode_ == Mode::Document &&
           std::any_of(buffer_.begin(), buffer_.end(), [](char c) { return !IsBlank(c); });
}

std::optional<Frame> InputFramer::TakePartialDocument() {
    if (!DocumentPartial()) return std::nullopt;
    if (docStart_ == std::string::npos) {
        docStart_ = static_cast<size_t>(
            std::find_if(buffer_.begin(), buffer_.end(), [](char c) { return !IsBlank(c); }) -
            buffer_.begin());
    }
    Frame frame = Take(Frame::Kind::Document, docStart_, buffer_.size(), buffer_.size());
    EndDocument();
    return frame;
}

}  // namespace merivane::sim
