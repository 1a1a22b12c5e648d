#pragma once

#include <cstddef>
#include <string_view>

namespace merivane::sim {

// Finds where a bare XML request ends in a stream that arrives in pieces: at
// the closing tag of its root element (or the root's "/>" when it is empty).
// Declarations, comments, CDATA sections and quoted attribute values are
// stepped over; the text is not otherwise checked, the parser does that.
class DocumentScanner {
  public:
    // Scans `text` (the whole document text so far; it only ever grows between
    // calls). Returns the offset just past the root's end, or npos when the
    // root has not ended yet.
    size_t Scan(std::string_view text);
    void Reset() { *this = DocumentScanner(); }

    static constexpr size_t npos = static_cast<size_t>(-1);

  private:
    size_t pos_ = 0;  // first byte not yet taken apart (always at a tag start or in text)
    int depth_ = 0;
    bool rootSeen_ = false;
};

}  // namespace merivane::sim
