#include "ops/ZelboValidation.h"

#include <cstdint>

#include "app/Prompts.h"
#include "ops/OpsMessages.h"
#include "support/TextRules.h"

namespace merivane {
namespace {

constexpr size_t kMaxExtPanIdDigits = 16;
// Past every 32-bit value: larger numbers are held here while reading.
constexpr uint64_t kBeyond32Bits = 0x100000000ull;

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool ExtPanIdValid(std::string_view text) {
    if (!text.starts_with("0x")) return false;
    const std::string_view digits = text.substr(2);
    if (digits.empty() || digits.size() > kMaxExtPanIdDigits) return false;
    for (char c : digits)
        if (HexValue(c) < 0) return false;
    return true;
}

bool DecimalWithin(std::string_view text, uint32_t maximum) {
    const int value = LeadingInteger(text);
    return value >= 0 && static_cast<uint32_t>(value) <= maximum;
}

bool HexWithin(std::string_view text, uint32_t maximum) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // "0x" counts as a prefix only when a hexadecimal digit follows it.
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        HexValue(text[i + 2]) >= 0)
        i += 2;
    uint64_t value = 0;
    for (; i < text.size() && HexValue(text[i]) >= 0; ++i) {
        value = value * 16 + static_cast<uint64_t>(HexValue(text[i]));
        if (value > kBeyond32Bits) value = kBeyond32Bits;
    }
    if (negative && value != 0) return false;
    return value <= maximum;
}

ZelboFieldProblem ValidateZelboFields(const ZelboFields& fields) {
    if (!ExtPanIdValid(fields.extPanId)) return {ZelboField::ExtPanId, kExtPanIdMessage};
    if (!DecimalWithin(fields.discoverTimeout, 252))
        return {ZelboField::DiscoverTimeout, kDiscoverTimeoutMessage};
    if (!HexWithin(fields.scanChannels, 0xffff))
        return {ZelboField::ScanChannels, kScanChannelsMessage};
    if (!DecimalWithin(fields.scanDuration, 7))
        return {ZelboField::ScanDuration, kScanDurationMessage};
    if (!DecimalWithin(fields.joinTime, 255)) return {ZelboField::JoinTime, kJoinTimeMessage};
    return {};
}

ZelboField CheckZelboFields(const ZelboFields& fields, Prompts& prompts) {
    const ZelboFieldProblem problem = ValidateZelboFields(fields);
    if (problem.field != ZelboField::None)
        prompts.Inform(problem.message, kErrorCaption, Prompts::Icon::None);
    return problem.field;
}

}  // namespace merivane
