#include "settings/DocumentSerializer.h"

#include <libxml/xmlmemory.h>

namespace merivane {

namespace {

constexpr std::string_view kCommentOpen = "<!--";
constexpr std::string_view kCommentClose = "-->";
constexpr std::string_view kCDataOpen = "<![CDATA[";
constexpr std::string_view kCDataClose = "]]>";
constexpr std::string_view kInstructionOpen = "<?";
constexpr std::string_view kInstructionClose = "?>";

// One pass over a dump produced by the XML library, which writes attribute values in
// double quotes with any double quote inside them escaped, and text with "<", ">" and
// "&" escaped. Markup is told apart by its opening characters.
class DumpRewriter {
  public:
    explicit DumpRewriter(std::string_view dump) : in_(dump) { out_.reserve(dump.size() + 64); }

    std::string Run() {
        while (pos_ < in_.size()) {
            if (in_[pos_] != '<') {
                Text();
            } else if (At(kCommentOpen)) {
                CopyThrough(kCommentClose, kCommentOpen.size());
            } else if (At(kCDataOpen)) {
                CopyThrough(kCDataClose, kCDataOpen.size());
            } else if (At(kInstructionOpen)) {
                SwapQuotesThrough(kInstructionClose);
            } else if (At("<!")) {
                Declaration();
            } else {
                Tag();
            }
        }
        if (rootStart_ == std::string::npos) return {};
        return out_.substr(rootStart_);
    }

  private:
    bool At(std::string_view token) const { return in_.substr(pos_).starts_with(token); }

    // Text content up to the next markup.
    void Text() {
        while (pos_ < in_.size() && in_[pos_] != '<') {
            const char c = in_[pos_++];
            if (c == '"') {
                out_ += "&quot;";
            } else {
                out_ += c;
            }
        }
    }

    // Copies markup unchanged through the end of `close`, searched for after `skip` bytes.
    void CopyThrough(std::string_view close, size_t skip) {
        const size_t end = EndOf(close, skip);
        out_.append(in_.substr(pos_, end - pos_));
        pos_ = end;
    }

    // A processing instruction such as the XML declaration: its quotes delimit values.
    void SwapQuotesThrough(std::string_view close) {
        const size_t end = EndOf(close, kInstructionOpen.size());
        for (; pos_ < end; ++pos_) out_ += in_[pos_] == '"' ? '\'' : in_[pos_];
    }

    // Position just past the first `close` found `skip` bytes into the markup, or the end.
    size_t EndOf(std::string_view close, size_t skip) const {
        const size_t found = in_.find(close, pos_ + skip);
        return found == std::string_view::npos ? in_.size() : found + close.size();
    }

    // A document type declaration, possibly with an internal subset in brackets; quoted
    // literals in it are single-quoted like attribute values.
    void Declaration() {
        int brackets = 0;
        char quote = 0;
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            if (quote != 0) {
                if (c == quote) quote = 0;
                out_ += c == '"' ? '\'' : c;
                continue;
            }
            if (c == '"' || c == '\'') {
                quote = c;
                out_ += '\'';
                continue;
            }
            out_ += c;
            if (c == '[') ++brackets;
            if (c == ']') --brackets;
            if (c == '>' && brackets <= 0) return;
        }
    }

    // A start or end tag. Attribute values get single-quote delimiters; a single quote
    // inside a value is escaped so it cannot end the value early.
    void Tag() {
        if (rootStart_ == std::string::npos && pos_ + 1 < in_.size() && in_[pos_ + 1] != '/') {
            rootStart_ = out_.size();
        }
        char quote = 0;
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            if (quote != 0) {
                if (c == quote) {
                    quote = 0;
                    out_ += '\'';
                } else if (c == '\'') {
                    out_ += "&apos;";
                } else if (c == '"') {
                    out_ += "&quot;";
                } else {
                    out_ += c;
                }
                continue;
            }
            if (c == '"' || c == '\'') {
                quote = c;
                out_ += '\'';
                continue;
            }
            out_ += c;
            if (c == '>') return;
        }
    }

    std::string_view in_;
    size_t pos_ = 0;
    std::string out_;
    size_t rootStart_ = std::string::npos;
};

}  // namespace

std::string RewriteDumpForSending(std::string_view dump) { return DumpRewriter(dump).Run(); }

std::string DocumentFileText(xmlDoc* doc) {
    if (doc == nullptr) return {};
    xmlChar* memory = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc, &memory, &size);
    if (memory == nullptr) return {};
    std::string text(reinterpret_cast<const char*>(memory),
                     size > 0 ? static_cast<size_t>(size) : 0);
    xmlFree(memory);
    return text;
}

std::string SerializeForSending(xmlDoc* doc) {
    const std::string text = DocumentFileText(doc);
    if (text.empty()) return {};
    std::string_view dump = text;
    // The dump ends with a line end that is not part of the request.
    if (dump.ends_with('\n')) dump.remove_suffix(1);
    return RewriteDumpForSending(dump);
}

}  // namespace merivane
