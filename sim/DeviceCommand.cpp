#include "sim/DeviceCommand.h"

#include <cctype>
#include <charconv>

namespace merivane::sim {
namespace {

constexpr std::string_view kPrefix = "AT&USBINTERFACE=";

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

}  // namespace

std::optional<DeviceCommand> DeviceCommand::Parse(std::string_view line) {
    if (!StartsWithIgnoringCase(line, kPrefix)) return std::nullopt;
    std::string_view rest = line.substr(kPrefix.size());
    DeviceCommand command;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), command.number);
    if (ec != std::errc() || end == rest.data()) return std::nullopt;
    rest.remove_prefix(static_cast<size_t>(end - rest.data()));
    if (rest.empty()) return command;
    if (rest.front() != ',') return std::nullopt;
    command.hasArgument = true;
    command.argument = std::string(rest.substr(1));
    return command;
}

std::string DeviceCommand::Unquoted() const {
    const size_t first = argument.find('"');
    const size_t last = argument.rfind('"');
    if (first == std::string::npos || last == first) return argument;
    return argument.substr(first + 1, last - first - 1);
}

}  // namespace merivane::sim
