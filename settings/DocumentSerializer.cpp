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
    explicit DumpRewriter(std::string_view dump) : m_in(dump) { m_out.reserve(dump.size() + 64); }

    std::string Run() {
        while (m_pos < m_in.size()) {
            if (m_in[m_pos] != '<') {
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
        if (m_rootStart == std::string::npos) return {};
        return m_out.substr(m_rootStart);
    }

  private:
    bool At(std::string_view token) const { return m_in.substr(m_pos).starts_with(token); }

    // Text content up to the next markup.
    void Text() {
        while (m_pos < m_in.size() && m_in[m_pos] != '<') {
            const char c = m_in[m_pos++];
            if (c == '"') {
                m_out += "&quot;";
            } else {
                m_out += c;
            }
        }
    }

    // Copies markup unchanged through the end of `close`, searched for after `skip` bytes.
    void CopyThrough(std::string_view close, size_t skip) {
        const size_t end = EndOf(close, skip);
        m_out.append(m_in.substr(m_pos, end - m_pos));
        m_pos = end;
    }

    // A processing instruction such as the XML declaration: its quotes delimit values.
    void SwapQuotesThrough(std::string_view close) {
        const size_t end = EndOf(close, kInstructionOpen.size());
        for (; m_pos < end; ++m_pos) m_out += m_in[m_pos] == '"' ? '\'' : m_in[m_pos];
    }

    // Position just past the first `close` found `skip` bytes into the markup, or the end.
    size_t EndOf(std::string_view close, size_t skip) const {
        const size_t found = m_in.find(close, m_pos + skip);
        return found == std::string_view::npos ? m_in.size() : found + close.size();
    }

    // A document type declaration, possibly with an internal subset in brackets; quoted
    // literals in it are single-quoted like attribute values.
    void Declaration() {
        int brackets = 0;
        char quote = 0;
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            if (quote != 0) {
                if (c == quote) quote = 0;
                m_out += c == '"' ? '\'' : c;
                continue;
            }
            if (c == '"' || c == '\'') {
                quote = c;
                m_out += '\'';
                continue;
            }
            m_out += c;
            if (c == '[') ++brackets;
            if (c == ']') --brackets;
            if (c == '>' && brackets <= 0) return;
        }
    }

    // A start or end tag. Attribute values get single-quote delimiters; a single quote
    // inside a value is escaped so it cannot end the value early.
    void Tag() {
        if (m_rootStart == std::string::npos && m_pos + 1 < m_in.size() && m_in[m_pos + 1] != '/') {
            m_rootStart = m_out.size();
        }
        char quote = 0;
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            if (quote != 0) {
                if (c == quote) {
                    quote = 0;
                    m_out += '\'';
                } else if (c == '\'') {
                    m_out += "&apos;";
                } else if (c == '"') {
                    m_out += "&quot;";
                } else {
                    m_out += c;
                }
                continue;
            }
            if (c == '"' || c == '\'') {
                quote = c;
                m_out += '\'';
                continue;
            }
            m_out += c;
            if (c == '>') return;
        }
    }

    std::string_view m_in;
    size_t m_pos = 0;
    std::string m_out;
    size_t m_rootStart = std::string::npos;
};

}  // namespace

std::string RewriteDumpForSending(std::string_view dump) { return DumpRewriter(dump).Run(); }

std::string SerializeForSending(xmlDoc* doc) {
    if (doc == nullptr) return {};
    xmlChar* memory = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc, &memory, &size);
    if (memory == nullptr) return {};
    std::string_view dump(reinterpret_cast<const char*>(memory), size > 0 ? size : 0);
    // The dump ends with a line end that is not part of the request.
    if (dump.ends_with('\n')) dump.remove_suffix(1);
    std::string text = RewriteDumpForSending(dump);
    xmlFree(memory);
    return text;
}

}  // namespace merivane
