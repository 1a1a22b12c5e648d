#include "ops/PythonFileList.h"

#include <libxml/tree.h>

#include "app/BatchExecutor.h"
#include "settings/DocumentParser.h"
#include "settings/ElementSearch.h"
#include "settings/RciRequests.h"
#include "settings/XmlText.h"
#include "support/TextRules.h"

namespace merivane {
namespace {

constexpr size_t kNameColumn = 20;
constexpr size_t kSizeColumn = 8;

void PadTo(std::string& text, size_t width, size_t from) {
    if (text.size() - from < width) text.append(width - (text.size() - from), ' ');
}

}  // namespace

std::string PythonFileEntryText(const std::string& name, const std::string& size) {
    std::string text = name;
    PadTo(text, kNameColumn, 0);
    text += "    ";
    const size_t sizeStart = text.size();
    text += size;
    PadTo(text, kSizeColumn, sizeStart);
    return text;
}

std::optional<uint32_t> ReadFileSize(std::string_view text) {
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > kMaxDownloadBytes) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

PythonFileEntry MakePythonFileEntry(const std::string& name, const std::string& sizeAttribute) {
    PythonFileEntry entry;
    entry.name = name;
    entry.sizeText = RemoveChars(sizeAttribute, " \t");
    entry.size = ReadFileSize(entry.sizeText);
    entry.text = PythonFileEntryText(name, sizeAttribute);
    return entry;
}

PythonFileListing ReadPythonFileList(std::string_view answer) {
    PythonFileListing listing;
    const XmlDocPtr document = ParseAnswerDocument(answer, "python.xml");
    if (document == nullptr) return listing;
    listing.answered = true;
    xmlNode* command =
        FindChildElement(xmlDocGetRootElement(document.get()), kElementNodeType, "do_command");
    xmlNode* ls = FindChildElement(command, kElementNodeType, "ls");
    if (ls == nullptr) return listing;
    for (xmlNode* node = ls->children; node != nullptr;
         node = FindNextElement(node, kElementNodeType, "file")) {
        std::string name;
        std::string size;
        if (AttributeText(node, "name", name) && AttributeText(node, "size", size))
            listing.entries.push_back(MakePythonFileEntry(name, size));
    }
    return listing;
}

void AppendPythonFileListRequest(CommandList& list) {
    list.push_back({std::string(rci::kTwoPartLeadIn), kListingMessage, 5000});
    list.push_back({std::string(rci::kListPythonFiles), kListingMessage, 30000});
}

PythonFileListing ReadListAnswer(const CommandList& list) {
    if (list.empty()) return {};
    return ReadPythonFileList(list.back().result);
}

PythonFileListing FetchPythonFileList(BatchExecutor& executor) {
    CommandList list;
    AppendPythonFileListRequest(list);
    executor.RunBatch(list);
    return ReadListAnswer(list);
}

const PythonFileEntry* FindPythonFile(const PythonFileListing& listing, const std::string& name) {
    for (const PythonFileEntry& entry : listing.entries)
        if (entry.name == name) return &entry;
    return nullptr;
}

}  // namespace merivane
