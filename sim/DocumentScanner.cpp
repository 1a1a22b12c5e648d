#include "sim/DocumentScanner.h"

namespace merivane::sim {
namespace {

// Offset just past the tag that starts at `start` (text[start] == '<'), or
// npos when the tag is not complete yet.
size_t TagEnd(std::string_view text, size_t start) {
    const std::string_view rest = text.substr(start);
    auto pastMarker = [&](std::string_view marker) {
        const size_t at = text.find(marker, start);
        return at == std::string_view::npos ? DocumentScanner::npos : at + marker.size();
    };
    if (rest.starts_with("<!--")) return pastMarker("-->");
    if (rest.starts_with("<![CDATA[")) return pastMarker("]]>");
    if (rest.starts_with("<?")) return pastMarker("?>");
    char quote = 0;
    for (size_t i = start + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return DocumentScanner::npos;
}

}  // namespace

size_t DocumentScanner::Scan(std::string_view text) {
    while (pos_ < text.size()) {
        const size_t open = text.find('<', pos_);
        if (open == std::string_view::npos) {
            pos_ = text.size();
            return npos;
        }
        const size_t end = TagEnd(text, open);
        if (end == npos) {
            pos_ = open;
            return npos;
        }
        pos_ = end;
        const std::string_view tag = text.substr(open, end - open);
        if (tag.size() < 3 || tag[1] == '?' || tag[1] == '!') continue;
        if (tag[1] == '/') {
            if (--depth_ <= 0 && rootSeen_) return end;
        } else if (tag[tag.size() - 2] == '/') {
            if (depth_ == 0) return end;
        } else {
            ++depth_;
            rootSeen_ = true;
        }
    }
    return npos;
}

}  // namespace merivane::sim
