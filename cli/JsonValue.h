#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace merivane::cli {

// A JSON value built up by a command for its report: null, a flag, a whole number, a
// text, a list or an object whose keys keep the order they were set in. A "raw" value is
// a complete JSON text taken over as it is (the documents of the per-device runs).
class JsonValue {
  public:
    enum class Kind { Null, Bool, Number, String, Array, Object, Raw };

    JsonValue() = default;
    JsonValue(bool value) : kind_(Kind::Bool), number_(value ? 1 : 0) {}
    JsonValue(int value) : kind_(Kind::Number), number_(value) {}
    JsonValue(int64_t value) : kind_(Kind::Number), number_(value) {}
    JsonValue(uint32_t value) : kind_(Kind::Number), number_(value) {}
    JsonValue(std::string value) : kind_(Kind::String), text_(std::move(value)) {}
    JsonValue(const char* value) : kind_(Kind::String), text_(value) {}

    static JsonValue Array() { return JsonValue(Kind::Array); }
    static JsonValue Object() { return JsonValue(Kind::Object); }
    static JsonValue Raw(std::string json);

    Kind GetKind() const { return kind_; }
    bool IsScalar() const { return kind_ != Kind::Array && kind_ != Kind::Object; }

    // Object: sets `key` (replacing an earlier value of the same key, keeping its place).
    JsonValue& Set(const std::string& key, JsonValue value);
    // Array: appends.
    JsonValue& Append(JsonValue value);

    const std::vector<std::pair<std::string, JsonValue>>& Members() const { return members_; }
    const std::vector<JsonValue>& Items() const { return items_; }
    // Object: the value of `key`, or null when absent.
    const JsonValue* Find(const std::string& key) const;

    // Compact JSON text. Texts are taken as UTF-8; bytes that are not valid UTF-8 are
    // written as the Latin-1 characters they would be, so the output is always valid.
    std::string Serialize() const;
    // The value as a line of plain text: texts as they are, numbers in decimal,
    // flags "yes"/"no", null empty; lists and objects as JSON.
    std::string PlainText() const;

  private:
    explicit JsonValue(Kind kind) : kind_(kind) {}
    void SerializeInto(std::string& out) const;

    Kind kind_ = Kind::Null;
    int64_t number_ = 0;
    std::string text_;
    std::vector<JsonValue> items_;
    std::vector<std::pair<std::string, JsonValue>> members_;
};

// `text` as a quoted JSON string.
std::string JsonQuote(const std::string& text);

}  // namespace merivane::cli
