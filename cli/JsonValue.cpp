#include "cli/JsonValue.h"

namespace merivane::cli {
namespace {

// Length of the valid UTF-8 sequence starting at `i`, or 0 when there is none.
size_t Utf8SequenceLength(const std::string& text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values past the last code point are not valid.
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

void AppendEscaped(std::string& out, unsigned value) {
    static const char kHex[] = "0123456789abcdef";
    out += "\\u00";
    out += kHex[(value >> 4) & 0xF];
    out += kHex[value & 0xF];
}

}  // namespace

std::string JsonQuote(const std::string& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const size_t length = Utf8SequenceLength(text, i);
            if (length > 0) {
                out.append(text, i, length);
                i += length;
            } else {
                // A lone byte of an 8-bit text: the Latin-1 character, in UTF-8.
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
                ++i;
            }
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F)
                    AppendEscaped(out, c);
                else
                    out += static_cast<char>(c);
        }
        ++i;
    }
    return out + "\"";
}

JsonValue JsonValue::Raw(std::string json) {
    JsonValue value(Kind::Raw);
    value.text_ = std::move(json);
    return value;
}

JsonValue& JsonValue::Set(const std::string& key, JsonValue value) {
    for (auto& member : members_) {
        if (member.first == key) {
            member.second = std::move(value);
            return member.second;
        }
    }
    members_.emplace_back(key, std::move(value));
    return members_.back().second;
}

JsonValue& JsonValue::Append(JsonValue value) {
    items_.push_back(std::move(value));
    return items_.back();
}

const JsonValue* JsonValue::Find(const std::string& key) const {
    for (const auto& member : members_)
        if (member.first == key) return &member.second;
    return nullptr;
}

std::string JsonValue::Serialize() const {
    std::string out;
    SerializeInto(out);
    return out;
}

void JsonValue::SerializeInto(std::string& out) const {
    switch (kind_) {
        case Kind::Null:
            out += "null";
            break;
        case Kind::Bool:
            out += number_ ? "true" : "false";
            break;
        case Kind::Number:
            out += std::to_string(number_);
            break;
        case Kind::String:
            out += JsonQuote(text_);
            break;
        case Kind::Raw:
            out += text_;
            break;
        case Kind::Array: {
            out += '[';
            for (size_t i = 0; i < items_.size(); ++i) {
                if (i > 0) out += ',';
                items_[i].SerializeInto(out);
            }
            out += ']';
            break;
        }
        case Kind::Object: {
            out += '{';
            for (size_t i = 0; i < members_.size(); ++i) {
                if (i > 0) out += ',';
                out += JsonQuote(members_[i].first);
                out += ':';
                members_[i].second.SerializeInto(out);
            }
            out += '}';
            break;
        }
    }
}

std::string JsonValue::PlainText() const {
    switch (kind_) {
        case Kind::Null:
            return {};
        case Kind::Bool:
            return number_ ? "yes" : "no";
        case Kind::Number:
            return std::to_string(number_);
        case Kind::String:
            return text_;
        default:
            return Serialize();
    }
}

}  // namespace merivane::cli
