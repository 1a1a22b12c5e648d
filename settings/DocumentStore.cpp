#include "settings/DocumentStore.h"

#include <algorithm>

#include "settings/DocumentParser.h"
#include "settings/ElementSearch.h"

namespace merivane {

namespace {

constexpr char kSettingsName[] = "setting.xml";
constexpr char kStateName[] = "state.xml";
constexpr char kZelboName[] = "zelbosetting.xml";

const xmlChar* XmlName(const char* name) { return reinterpret_cast<const xmlChar*>(name); }

// Turns a parsed reply into a request that can be sent back: the root is named
// "rci_request" and its query element found under `parent` is named "set_setting".
// Returns that element's first child, or null when the query element is missing.
xmlNode* MakeSetRequest(xmlNode* root, xmlNode* parent) {
    xmlNodeSetName(root, XmlName("rci_request"));
    xmlNode* query = FindChildElement(parent, kElementNodeType, "query_setting");
    if (query == nullptr) return nullptr;
    xmlNodeSetName(query, XmlName("set_setting"));
    return query->children;
}

// Takes away every node of the document but the root (and its document type), and every
// child of the root but `keep`. A settings answer is sent back whole by Apply, so anything
// a device put beside its settings (further operations, comments or text around them)
// would otherwise go back to it as commands.
void KeepOnly(xmlDoc* document, xmlNode* root, xmlNode* keep) {
    const auto removeSiblings = [](xmlNode* first, const xmlNode* kept) {
        for (xmlNode* node = first; node != nullptr;) {
            xmlNode* next = node->next;
            if (node != kept && node->type != XML_DTD_NODE) {
                xmlUnlinkNode(node);
                xmlFreeNode(node);
            }
            node = next;
        }
    };
    removeSiblings(document->children, root);
    removeSiblings(root->children, keep);
}

DocumentSlot ParseSettings(std::string_view answer) {
    DocumentSlot slot;
    slot.document = ParseAnswerDocument(answer, kSettingsName);
    if (slot.document == nullptr) return slot;
    xmlNode* root = xmlDocGetRootElement(slot.document.get());
    slot.startNode = MakeSetRequest(root, root);
    if (slot.startNode != nullptr) KeepOnly(slot.document.get(), root, slot.startNode->parent);
    return slot;
}

DocumentSlot ParseState(std::string_view answer) {
    DocumentSlot slot;
    slot.document = ParseAnswerDocument(answer, kStateName);
    if (slot.document == nullptr) return slot;
    xmlNode* root = xmlDocGetRootElement(slot.document.get());
    xmlNode* query = FindChildElement(root, kElementNodeType, "query_state");
    slot.startNode = query != nullptr ? query->children : nullptr;
    return slot;
}

// `cut` is the answer already cut down to its markup.
DocumentSlot ParseZelbo(std::string_view cut) {
    DocumentSlot slot;
    slot.document = ParseDocumentText(cut, kZelboName);
    if (slot.document == nullptr) return slot;
    xmlNode* root = xmlDocGetRootElement(slot.document.get());
    xmlNode* command = FindChildElement(root, kElementNodeType, "do_command");
    slot.startNode = MakeSetRequest(root, command);
    return slot;
}

bool ReportsNoZelboModule(std::string_view cut) {
    return cut.find(kNoZelboModuleAnswer) != std::string_view::npos;
}

}  // namespace

bool DocumentStore::LoadSettingsDocument(std::string answer) {
    settings_.Clear();
    settings_ = ParseSettings(answer);
    return true;
}

bool DocumentStore::LoadStateDocument(std::string answer) {
    // The device writes a bare "&" into its state answers, which no XML parser accepts,
    // so every "&" goes here, in the one place all state loads pass. A state answer is
    // only read, never sent back. Settings and mesh radio answers carry no bare "&" and
    // are sent back, so their loaders keep the text as it comes.
    answer.erase(std::remove(answer.begin(), answer.end(), '&'), answer.end());
    state_.Clear();
    state_ = ParseState(answer);
    return true;
}

bool DocumentStore::LoadZelboDocument(std::string answer) {
    const std::string_view cut = CutToMarkup(answer);
    if (ReportsNoZelboModule(cut)) {
        m_zelboPresent = false;
        return false;
    }
    zelbo_.Clear();
    zelbo_ = ParseZelbo(cut);
    return !zelbo_.Empty();
}

bool DocumentStore::ReloadSettingsDocument(std::string answer) {
    DocumentSlot fresh = ParseSettings(answer);
    if (fresh.startNode == nullptr) return false;
    settings_ = std::move(fresh);
    return true;
}

bool DocumentStore::ReloadZelboDocument(std::string answer) {
    const std::string_view cut = CutToMarkup(answer);
    if (ReportsNoZelboModule(cut)) {
        m_zelboPresent = false;
        return false;
    }
    DocumentSlot fresh = ParseZelbo(cut);
    if (fresh.startNode == nullptr) return false;
    zelbo_ = std::move(fresh);
    return true;
}

void DocumentStore::Clear() {
    settings_.Clear();
    state_.Clear();
    zelbo_.Clear();
}

}  // namespace merivane
