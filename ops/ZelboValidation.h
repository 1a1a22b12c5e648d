#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace merivane {

class Prompts;

inline constexpr char kExtPanIdMessage[] = "Extended PAN ID must be 8 hex bytes";
inline constexpr char kDiscoverTimeoutMessage[] = "Discover Timeout must be between 0 and 252";
inline constexpr char kScanChannelsMessage[] = "Scan Channels must be between 0 and 0xffff";
inline constexpr char kScanDurationMessage[] = "Scan Duration must be between 0 and 7";
inline constexpr char kJoinTimeMessage[] = "Allows Join Time must be between 0 and 255";

// The mesh radio settings the page checks before it applies them, as typed.
struct ZelboFields {
    std::string extPanId;
    std::string discoverTimeout;
    std::string scanChannels;
    std::string scanDuration;
    std::string joinTime;
};

// The field that failed, for the page to put the focus on.
enum class ZelboField { None, ExtPanId, DiscoverTimeout, ScanChannels, ScanDuration, JoinTime };

struct ZelboFieldProblem {
    ZelboField field = ZelboField::None;
    std::string message;  // empty when every field passed
};

// "0x" (lower-case x) followed by one to sixteen hexadecimal digits (up to 8 bytes).
bool ExtPanIdValid(std::string_view text);
// The leading decimal number (as C's atoi reads it) as a 32-bit unsigned value no larger
// than `maximum`: a negative number or one that does not fit fails.
bool DecimalWithin(std::string_view text, uint32_t maximum);
// The leading hexadecimal number (as C's strtol reads it in base 16, "0x" allowed) as a
// 32-bit unsigned value no larger than `maximum`.
bool HexWithin(std::string_view text, uint32_t maximum);

// The checks in the page's order; the first failure with its message.
ZelboFieldProblem ValidateZelboFields(const ZelboFields& fields);

// Runs the checks and shows the first failure (caption "Error", OK). Returns the failed
// field, or ZelboField::None when the values may be applied.
ZelboField CheckZelboFields(const ZelboFields& fields, Prompts& prompts);

}  // namespace merivane
