#include "cli/CommandReport.h"

#include <algorithm>

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
        for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], CharacterCount(row[i]));
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line += std::string(widths[i] - CharacterCount(row[i]) + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    return out;
}

std::string ListText(const JsonValue& list) {
    if (list.Items().empty()) return {};
    const JsonValue& first = list.Items().front();
    if (first.GetKind() != JsonValue::Kind::Object) {
        std::string out;
        for (const JsonValue& item : list.Items()) out += item.PlainText() + "\n";
        return out;
    }
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header;
    for (const auto& member : first.Members()) header.push_back(Upper(member.first));
    rows.push_back(header);
    for (const JsonValue& item : list.Items()) {
        std::vector<std::string> row;
        for (const auto& member : first.Members()) {
            const JsonValue* cell = item.Find(member.first);
            row.push_back(cell != nullptr ? cell->PlainText() : std::string());
        }
        rows.push_back(row);
    }
    return Table(rows);
}

// The findings of a check, led by whether anything would change.
JsonValue WithWouldChange(const JsonValue& data, bool changed) {
    JsonValue shown = JsonValue::Object();
    shown.Set("would_change", changed);
    for (const auto& [key, value] : data.Members()) shown.Set(key, value);
    return shown;
}

}  // namespace

void CommandReport::AddChange(const std::string& path, JsonValue before, JsonValue after) {
    JsonValue change = JsonValue::Object();
    change.Set("path", path);
    change.Set("before", std::move(before));
    change.Set("after", std::move(after));
    changes_.Append(std::move(change));
    listsChanges_ = true;
}

void CommandReport::Fail(int exitCode, const std::string& error) {
    if (exitCode_ != kExitDone) return;
    exitCode_ = exitCode;
    error_ = error;
}

void CommandReport::Interrupted() {
    exitCode_ = kExitInterrupted;
    error_ = "interrupted";
}

JsonValue CommandReport::ToJson(const std::vector<std::string>& messages) const {
    JsonValue document = JsonValue::Object();
    document.Set("command", command_);
    document.Set("ok", Ok());
    document.Set("exit", exitCode_);
    document.Set("changed", Changed());
    document.Set("port", port_.empty() ? JsonValue() : JsonValue(port_));
    document.Set("product", product_.empty() ? JsonValue() : JsonValue(product_));
    if (!Ok()) document.Set("error", error_);
    for (const auto& member : data_.Members()) document.Set(member.first, member.second);
    if (listsChanges_) document.Set("changes", changes_);
    JsonValue said = JsonValue::Array();
    for (const std::string& message : messages) said.Append(message);
    document.Set("messages", said);
    return document;
}

void CommandReport::Print(bool json, const std::vector<std::string>& messages, FILE* out,
                          FILE* err) const {
    if (streamed_ && (Ok() || !json)) {
        // Already printed line by line.
    } else if (json) {
        std::fprintf(out, "%s\n", ToJson(messages).Serialize().c_str());
    } else {
        std::fputs(RenderText(check_ ? WithWouldChange(data_, Changed()) : data_).c_str(), out);
    }
    std::fflush(out);
    if (!Ok()) std::fprintf(err, "merivane-cli: %s\n", error_.c_str());
    std::fflush(err);
}

std::string RenderText(const JsonValue& data) {
    std::vector<std::vector<std::string>> pairs;
    std::string out;
    auto flushPairs = [&] {
        size_t width = 0;
        for (const auto& pair : pairs) width = std::max(width, CharacterCount(pair[0]));
        for (const auto& pair : pairs)
            out += pair[0] + ":" + std::string(width - CharacterCount(pair[0]) + 1, ' ') + pair[1] + "\n";
        pairs.clear();
    };
    for (const auto& [key, value] : data.Members()) {
        if (value.IsScalar()) {
            pairs.push_back({key, value.PlainText()});
            continue;
        }
        flushPairs();
        if (value.GetKind() == JsonValue::Kind::Object) {
            // A setting the device does not have has no line (its JSON value is null).
            for (const auto& [name, item] : value.Members())
                if (item.GetKind() != JsonValue::Kind::Null)
                    out += name + "=" + item.PlainText() + "\n";
        } else {
            out += ListText(value);
        }
    }
    flushPairs();
    return out;
}

}  // namespace merivane::cli
