#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "sim/DocumentScanner.h"

namespace merivane::sim {

// One unit of input the device acts on.
struct Frame {
    enum class Kind { Line, Document, UploadData };
    Kind kind = Kind::Line;
    std::string text;  // the command without its line end, the document, or the upload bytes
    std::string raw;   // every byte consumed for it, as received (what an echo sends back)
};

// Cuts the byte stream from the tool into frames. Three modes:
// - lines: a command ends at "\r\n", "\n" or a lone "\r" (terminals send that);
// - a bare document (after command 22): it ends at its root's closing tag,
//   with a line end right after it taken along when one comes;
// - upload data (after command 5): exactly the announced number of bytes.
// Whether a "\r" stands alone, or whether a line end follows a document,
// can only be known from the next byte; until it comes the end is pending,
// and the caller settles it once the line has been quiet for a moment.
class InputFramer {
  public:
    void Feed(const char* data, size_t size);
    // The next complete frame, if any. `settled`: no more bytes came for a
    // while, so a pending end is final.
    std::optional<Frame> Next(bool settled);
    // True when buffered input ends where the next byte decides the frame's end.
    bool EndPending() const;
    // True when an incomplete bare document is buffered.
    bool DocumentPartial() const;
    // Gives up on an incomplete document: it becomes a frame as it stands.
    std::optional<Frame> TakePartialDocument();

    // The next frame is a bare document (command 22 was answered).
    void ExpectDocument();
    // The next `size` bytes are upload data (command 5 was answered).
    void ExpectData(size_t size);
    bool InDataPhase() const { return mode_ == Mode::Data; }
    size_t DataReceived() const { return data_.size(); }
    size_t DataExpected() const { return dataExpected_; }
    // Drops a data phase that will not complete; back to lines.
    void AbandonData();
    // Forgets everything buffered (the device restarted).
    void Reset();

  private:
    enum class Mode { Lines, Document, Data };

    std::optional<Frame> NextLine(bool settled);
    std::optional<Frame> NextDocument(bool settled);
    // Length of the line end at `pos`: 0 none, -1 pending (a "\r" as the last byte).
    int LineEndAt(size_t pos, bool settled) const;
    void EndDocument();
    Frame Take(Frame::Kind kind, size_t textStart, size_t textEnd, size_t consumed);

    Mode mode_ = Mode::Lines;
    std::string buffer_;
    std::string data_;
    size_t dataExpected_ = 0;
    size_t lineScan_ = 0;  // bytes of buffer_ already known to hold no line end
    DocumentScanner scanner_;
    size_t docStart_ = std::string::npos;
    size_t docLength_ = std::string::npos;  // known once the root has closed
};

}  // namespace merivane::sim
