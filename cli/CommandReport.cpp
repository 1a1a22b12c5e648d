#include "cli/CommandReport.h"

#include <algorithm>

#include "support/TerminalText.h"
#include "support/TextRules.h"

namespace merivane::cli {
namespace {

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Rows of cells as columns two spaces apart, the last column unpadded.
std::string Table(const std::vector<std::vector<std::string>>& rows) {
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], CharacterCount(row[i]));
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size())
                line += std::string(widths[i] - CharacterCount(row[i]) + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    return out;
}

// A value as a line of plain text: texts as they are (controls escaped, so a value cannot
// forge a line or steer the terminal), numbers in decimal, flags "yes"/"no", null empty;
// lists and objects as JSON.
std::string PlainText(const Json& value) {
    if (value.is_string()) return TerminalSafe(value.get<std::string>());
    if (value.is_boolean()) return value.get<bool>() ? "yes" : "no";
    if (value.is_null()) return {};
    return JsonText(value);
}

std::string ListText(const Json& list) {
    if (list.empty()) return {};
    const Json& first = list.front();
    if (!first.is_object()) {
        std::string out;
        for (const Json& item : list) out += PlainText(item) + "\n";
        return out;
    }
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header;
    for (const auto& member : first.items()) header.push_back(Upper(member.key()));
    rows.push_back(header);
    for (const Json& item : list) {
        std::vector<std::string> row;
        for (const auto& member : first.items()) {
            const auto cell = item.find(member.key());
            row.push_back(cell != item.end() ? PlainText(*cell) : std::string());
        }
        rows.push_back(row);
    }
    return Table(rows);
}

// The findings of a check, led by whether anything would change.
Json WithWouldChange(const Json& data, bool changed) {
    Json shown = {{"would_change", changed}};
    shown.update(data);
    return shown;
}

}  // namespace

void CommandReport::AddChange(const std::string& path, Json before, Json after) {
    changes_.push_back(
        {{"path", path}, {"before", std::move(before)}, {"after", std::move(after)}});
    listsChanges_ = true;
}

void CommandReport::Fail(int exitCode, const std::string& error) {
    if (exitCode_ != kExitDone) return;
    exitCode_ = exitCode == kExitFailed ? FailureExit(command_) : exitCode;
    error_ = error;
}

void CommandReport::Differs(const std::string& summary) {
    if (exitCode_ != kExitDone) return;
    exitCode_ = kExitDiffers;
    error_ = summary;
}

void CommandReport::Interrupted() {
    exitCode_ = kExitInterrupted;
    error_ = "Interrupted.";
}

Json CommandReport::ToJson(const std::vector<std::string>& messages) const {
    Json document = {{"command", command_},
                     {"ok", Ok()},
                     {"exit", exitCode_},
                     {"changed", Changed()},
                     {"port", port_.empty() ? Json() : Json(port_)},
                     {"product", product_.empty() ? Json() : Json(product_)}};
    if (!Ok()) document["error"] = error_;
    document.update(data_);
    if (listsChanges_) document["changes"] = changes_;
    document["messages"] = messages;
    return document;
}

void CommandReport::Print(bool json, const std::vector<std::string>& messages, FILE* out,
                          FILE* err) const {
    if (streamed_ && (Ok() || !json)) {
        // Already printed line by line.
    } else if (json) {
        std::fprintf(out, "%s\n", JsonText(ToJson(messages)).c_str());
    } else {
        std::fputs(RenderText(check_ ? WithWouldChange(data_, Changed()) : data_).c_str(), out);
    }
    std::fflush(out);
    if (!Ok()) std::fprintf(err, "merivane-cli: %s\n", TerminalSafe(error_).c_str());
    std::fflush(err);
}

std::string JsonText(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string RenderText(const Json& data) {
    std::vector<std::vector<std::string>> pairs;
    std::string out;
    auto flushPairs = [&] {
        size_t width = 0;
        for (const auto& pair : pairs) width = std::max(width, CharacterCount(pair[0]));
        for (const auto& pair : pairs)
            out += pair[0] + ":" + std::string(width - CharacterCount(pair[0]) + 1, ' ') + pair[1] +
                   "\n";
        pairs.clear();
    };
    for (const auto& [key, value] : data.items()) {
        if (value.is_primitive()) {
            pairs.push_back({TerminalSafe(key), PlainText(value)});
            continue;
        }
        flushPairs();
        if (value.is_object()) {
            // A setting the device does not have has no line (its JSON value is null).
            for (const auto& [name, item] : value.items())
                if (!item.is_null()) out += TerminalSafe(name) + "=" + PlainText(item) + "\n";
        } else {
            out += ListText(value);
        }
    }
    flushPairs();
    return out;
}

}  // namespace merivane::cli
