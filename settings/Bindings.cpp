#include "settings/Bindings.h"

#include "settings/ElementSearch.h"
#include "settings/SettingPath.h"
#include "settings/XmlText.h"

namespace merivane {

namespace {

// The kind of value move a record makes, by the flags' order of precedence.
enum class Move { kNone, kText, kInt, kOnOff };

Move MoveOf(const SettingBinding& binding) {
    if (binding.flags & BIND_TEXT) return Move::kText;
    if (binding.flags & BIND_INT) return Move::kInt;
    if (binding.flags & BIND_ONOFF) return Move::kOnOff;
    return Move::kNone;
}

std::string* TextMember(const SettingBinding& binding) {
    auto* member = std::get_if<std::string*>(&binding.value);
    return member != nullptr ? *member : nullptr;
}

int* IntMember(const SettingBinding& binding) {
    auto* member = std::get_if<int*>(&binding.value);
    return member != nullptr ? *member : nullptr;
}

// Sets the member from the device's text.
void ReadValue(const SettingBinding& binding, const std::string& text) {
    switch (MoveOf(binding)) {
        case Move::kText:
            if (std::string* member = TextMember(binding)) {
                *member = binding.read_converter ? binding.read_converter(text) : text;
            }
            break;
        case Move::kInt:
            if (int* member = IntMember(binding)) *member = LeadingInteger(text);
            break;
        case Move::kOnOff:
            if (int* member = IntMember(binding)) {
                if (EqualsIgnoringCase(text, "on")) *member = 1;
                if (EqualsIgnoringCase(text, "off")) *member = 0;
            }
            break;
        case Move::kNone:
            break;
    }
}

// The text to store for the member; false when nothing is to be stored.
bool TextToWrite(const SettingBinding& binding, std::string& text) {
    switch (MoveOf(binding)) {
        case Move::kText:
            if (const std::string* member = TextMember(binding)) {
                text = binding.write_converter ? binding.write_converter(*member) : *member;
                return true;
            }
            return false;
        case Move::kInt:
            if (const int* member = IntMember(binding)) {
                text = std::to_string(*member);
                return true;
            }
            return false;
        case Move::kOnOff:
            if (const int* member = IntMember(binding)) {
                if (*member != 0 && *member != 1) return false;
                text = *member == 1 ? "on" : "off";
                return true;
            }
            return false;
        case Move::kNone:
            return false;
    }
    return false;
}

}  // namespace

void ReadBindings(BindingHost* host, std::span<const SettingBinding> table, xmlNode* startNode) {
    if (startNode == nullptr) return;
    for (const SettingBinding& binding : table) {
        if (binding.path.empty()) break;
        xmlNode* element = ResolveSettingPath(startNode, binding.path);
        if (element == nullptr) continue;
        if (host != nullptr && !binding.control_id.empty()) host->ShowControl(binding.control_id);
        if (element->children != nullptr) {
            ReadValue(binding, NodeText(element->children));
        } else if (MoveOf(binding) == Move::kText) {
            if (std::string* member = TextMember(binding)) member->clear();
        }
    }
}

void WriteBindings(std::span<const SettingBinding> table, xmlNode* startNode) {
    if (startNode == nullptr) return;
    for (const SettingBinding& binding : table) {
        if (binding.path.empty()) break;
        xmlNode* element = ResolveSettingPath(startNode, binding.path);
        if (element == nullptr) continue;
        std::string text;
        if (TextToWrite(binding, text)) SetNodeText(element, text);
    }
}

}  // namespace merivane
