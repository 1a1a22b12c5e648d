#pragma once

#include <functional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace merivane {

// How a binding moves its value (bit set). When several of the first three are set,
// BIND_TEXT wins over BIND_INT and BIND_INT over BIND_ONOFF.
enum BindingFlags : int {
    BIND_ONOFF = 1,    // int member 1 / 0  <->  "on" / "off"
    BIND_INT = 2,      // int member        <->  decimal integer
    BIND_TEXT = 4,     // text member       <->  text, as is or through the converters
    BIND_CHOICES = 8,  // with BIND_TEXT: the control is a drop-down list filled from `choices`
};

// Turns a text into the text to show (device -> page) or to store (page -> device).
using TextConverter = std::function<std::string(const std::string&)>;

// The page member a binding moves: a text member, an int member, or none.
using BindingValue = std::variant<std::monostate, std::string*, int*>;

// One record of a page's binding table: ties a page member to a setting path inside one
// of the application's documents. A record with an empty path ends the table.
struct SettingBinding {
    std::string path;        // "group/element", components may carry "&attr=value"
    BindingValue value;      // the page member; points into the page that owns the table
    std::string control_id;  // control shown when the path resolves on reading; "" = none
    const std::string* choices = nullptr;  // BIND_CHOICES: the list's entries, "\n"-separated
    int flags = 0;
    TextConverter read_converter;   // BIND_TEXT only: device text -> text to show
    TextConverter write_converter;  // BIND_TEXT only: page text -> text to store
};

using BindingTable = std::vector<SettingBinding>;

// Record builders for the common kinds.
inline SettingBinding BindText(std::string path, std::string* member, std::string control_id) {
    return {std::move(path), member, std::move(control_id), nullptr, BIND_TEXT, {}, {}};
}
inline SettingBinding BindInt(std::string path, int* member, std::string control_id) {
    return {std::move(path), member, std::move(control_id), nullptr, BIND_INT, {}, {}};
}
inline SettingBinding BindOnOff(std::string path, int* member, std::string control_id) {
    return {std::move(path), member, std::move(control_id), nullptr, BIND_ONOFF, {}, {}};
}
inline SettingBinding BindChoices(std::string path, std::string* member, std::string control_id,
                                  const std::string* choices) {
    return {
        std::move(path), member, std::move(control_id), choices, BIND_TEXT | BIND_CHOICES, {}, {}};
}

// The entries of a choice list: the pieces between the "\n" separators, in order.
std::vector<std::string> SplitChoices(const std::string& choices);

}  // namespace merivane
