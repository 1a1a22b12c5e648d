#include "settings/DocumentParser.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <climits>

#include "support/RegularFile.h"

namespace merivane {

namespace {

// What the guarded parse learns while the parser runs. The parser context's user slot
// points here; the element depth is counted by the start and end callbacks.
struct ParseGuard {
    int depth = 0;
    bool refused = false;
};

ParseGuard& GuardOf(void* context) {
    auto* parser = static_cast<xmlParserCtxt*>(context);
    return *static_cast<ParseGuard*>(parser->_private);
}

void Refuse(void* context) {
    GuardOf(context).refused = true;
    xmlStopParser(static_cast<xmlParserCtxt*>(context));
}

void OnEntityDeclaration(void* context, const xmlChar*, int, const xmlChar*, const xmlChar*,
                         xmlChar*) {
    Refuse(context);
}

void OnUnparsedEntityDeclaration(void* context, const xmlChar*, const xmlChar*, const xmlChar*,
                                 const xmlChar*) {
    Refuse(context);
}

void OnStartElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                    const xmlChar* uri, int namespaceCount, const xmlChar** namespaces,
                    int attributeCount, int defaultedCount, const xmlChar** attributes) {
    ParseGuard& guard = GuardOf(context);
    if (++guard.depth > kMaxElementDepth) {
        Refuse(context);
        return;
    }
    xmlSAX2StartElementNs(context, localName, prefix, uri, namespaceCount, namespaces,
                          attributeCount, defaultedCount, attributes);
}

void OnEndElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                  const xmlChar* uri) {
    --GuardOf(context).depth;
    xmlSAX2EndElementNs(context, localName, prefix, uri);
}

// Parse errors are judged by the caller from the result; nothing goes to stderr.
void IgnoreError(void*, xmlError*) {}

// Owns a parser context for the length of one parse.
struct ParserContextFree {
    void operator()(xmlParserCtxt* context) const noexcept { xmlFreeParserCtxt(context); }
};
using ParserContextPtr = std::unique_ptr<xmlParserCtxt, ParserContextFree>;

}  // namespace

std::string_view CutToMarkup(std::string_view text) {
    const size_t first = text.find('<');
    if (first == std::string_view::npos) return {};
    const size_t last = text.rfind('>');
    if (last == std::string_view::npos || last < first) return {};
    return text.substr(first, last - first + 1);
}

XmlDocPtr ParseDocumentText(std::string_view text, const char* name) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return nullptr;
    ParserContextPtr parser(xmlCreateMemoryParserCtxt(text.data(), static_cast<int>(text.size())));
    if (parser == nullptr || parser->sax == nullptr) return nullptr;
    xmlCtxtUseOptions(parser.get(), XML_PARSE_NONET);

    ParseGuard guard;
    parser->_private = &guard;
    xmlSAXHandler* sax = parser->sax;
    sax->entityDecl = OnEntityDeclaration;
    sax->unparsedEntityDecl = OnUnparsedEntityDeclaration;
    sax->startElementNs = OnStartElement;
    sax->endElementNs = OnEndElement;
    sax->serror = IgnoreError;
    sax->warning = nullptr;

    xmlParseDocument(parser.get());
    XmlDocPtr doc(parser->myDoc);
    parser->myDoc = nullptr;
    if (guard.refused || !parser->wellFormed || doc == nullptr) return nullptr;
    if (name != nullptr) {
        if (doc->URL != nullptr) xmlFree(const_cast<xmlChar*>(doc->URL));
        doc->URL = xmlStrdup(reinterpret_cast<const xmlChar*>(name));
    }
    return doc;
}

XmlDocPtr ParseAnswerDocument(std::string_view answer, const char* name) {
    return ParseDocumentText(CutToMarkup(answer), name);
}

XmlDocPtr ParseDocumentFile(const std::string& path, uint64_t maxBytes) {
    std::string text;
    if (!ReadRegularFile(path, maxBytes, text)) return nullptr;
    return ParseDocumentText(text, path.c_str());
}

}  // namespace merivane
