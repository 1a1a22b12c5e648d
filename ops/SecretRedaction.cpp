#include "ops/SecretRedaction.h"

#include <algorithm>
#include <cctype>

#include "settings/RciRequests.h"
#include "settings/SecretSettings.h"
#include "settings/SettingLeaves.h"

namespace merivane {
namespace {

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-' || c == '.' ||
           c == ':';
}

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Where the content of the element opened at `open` (a "<") ends: at its closing tag, or
// at the next "<" when there is none (a log block cut short).
size_t ContentEnd(const std::string& text, const std::string& lowered, size_t from,
                  const std::string& name) {
    const size_t closing = lowered.find("</" + Lowered(name), from);
    if (closing != std::string::npos) return closing;
    const size_t next = text.find('<', from);
    return next != std::string::npos ? next : text.size();
}

// Masks the content of the secret elements.
std::string MaskSecretElements(const std::string& text) {
    const std::string lowered = Lowered(text);
    std::string out;
    size_t copied = 0;
    for (size_t open = text.find('<'); open != std::string::npos; open = text.find('<', open + 1)) {
        size_t end = open + 1;
        while (end < text.size() && IsNameCharacter(text[end])) ++end;
        const std::string name = text.substr(open + 1, end - open - 1);
        if (name.empty() || !IsSecretSetting(name)) continue;
        const size_t tagEnd = text.find('>', end);
        if (tagEnd == std::string::npos) break;
        if (text[tagEnd - 1] == '/') continue;  // an empty element
        const size_t contentEnd = ContentEnd(text, lowered, tagEnd + 1, name);
        if (contentEnd == tagEnd + 1) continue;
        out.append(text, copied, tagEnd + 1 - copied);
        out += kSecretMask;
        copied = contentEnd;
        open = contentEnd - 1;
    }
    out.append(text, copied, std::string::npos);
    return out;
}

void ReplaceAll(std::string& text, const std::string& value, const std::string& by) {
    if (value.empty()) return;
    for (size_t at = text.find(value); at != std::string::npos;
         at = text.find(value, at + by.size()))
        text.replace(at, value.size(), by);
}

std::string Replaced(std::string text, const std::string& value, const std::string& by) {
    ReplaceAll(text, value, by);
    return text;
}

// A value as it may stand in a log: as is, as the XML library writes it in text (quotes as
// they are, or a double quote as "&quot;" on the way to the device) and in an attribute.
std::vector<std::string> WrittenForms(const std::string& value) {
    const std::string attribute = rci::EscapeForAttribute(value);
    const std::string text = Replaced(attribute, "&apos;", "'");
    return {value, attribute, text, Replaced(text, "\"", "&quot;"),
            Replaced(attribute, "\"", "&quot;")};
}

}  // namespace

std::vector<std::string> SecretValues(xmlNode* start) {
    std::vector<std::string> values;
    for (const SettingLeaf& leaf : SettingLeaves(start)) {
        if (!IsSecretSetting(leaf.path)) continue;
        std::string value = ElementText(leaf.element);
        if (!value.empty()) values.push_back(std::move(value));
    }
    return values;
}

std::string RedactSecrets(std::string text, const std::vector<std::string>& known) {
    text = MaskSecretElements(text);
    // Longer values first, so that one holding another is not left half shown.
    std::vector<std::string> values;
    for (const std::string& value : known)
        for (std::string& form : WrittenForms(value)) values.push_back(std::move(form));
    std::sort(values.begin(), values.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& value : values) ReplaceAll(text, value, kSecretMask);
    return text;
}

}  // namespace merivane
