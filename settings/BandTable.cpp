#include "settings/BandTable.h"

#include <array>
#include <string_view>

#include "support/TextRules.h"

namespace merivane {
namespace {

struct Band {
    int code;
    const char* text;
};

// In code order. Codes 3 and 5 do not exist.
constexpr std::array<Band, 8> kBands = {{
    {1, "850 MHz"},
    {2, "900 MHz"},
    {4, "1800 MHz"},
    {6, "900/1800 MHz (Europe/World)"},
    {7, "quad-band mode 850/900E (extended)/1800/1900 MHz"},
    {8, "1900 MHz"},
    {9, "850/1900 MHz (North America)"},
    {10, "900/1900 MHz"},
}};

// The codes in the order the band list shows them.
constexpr std::array<int, 8> kListOrder = {9, 6, 1, 2, 4, 8, 10, 7};

constexpr std::string_view kUnknownBegin = "Unknown band (code ";
constexpr std::string_view kUnknownEnd = ")";

const char* TextOfCode(int code) {
    for (const Band& band : kBands)
        if (band.code == code) return band.text;
    return nullptr;
}

}  // namespace

const std::string& BandChoices() {
    static const std::string choices = [] {
        std::string list;
        for (int code : kListOrder) {
            if (!list.empty()) list += '\n';
            list += TextOfCode(code);
        }
        return list;
    }();
    return choices;
}

const std::string& BandCodes() {
    static const std::string codes = [] {
        std::string list;
        for (const Band& band : kBands) {
            if (!list.empty()) list += '\n';
            list += std::to_string(band.code);
        }
        return list;
    }();
    return codes;
}

std::string BandCodeToText(const std::string& stored) {
    if (const char* text = TextOfCode(LeadingInteger(stored))) return text;
    return std::string(kUnknownBegin) + stored + std::string(kUnknownEnd);
}

std::string BandTextToCode(const std::string& shown) {
    for (const Band& band : kBands)
        if (shown == band.text) return std::to_string(band.code);
    const std::string_view text = shown;
    if (text.size() >= kUnknownBegin.size() + kUnknownEnd.size() &&
        text.starts_with(kUnknownBegin) && text.ends_with(kUnknownEnd)) {
        return std::string(text.substr(kUnknownBegin.size(),
                                       text.size() - kUnknownBegin.size() - kUnknownEnd.size()));
    }
    return {};
}

}  // namespace merivane
