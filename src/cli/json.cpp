#include "cli/json.h"

#include <cstdint>
#include <cstdio>

#include "cli/utf8.h"

namespace {

// A reader over one line; every Parse* returns false at the first byte that
// does not fit.
class Reader {
public:
    explicit Reader(const std::string& text) : m_text(text) {}

    bool ParseObject(JsonObject& object) {
        if (!Take('{')) {
            return false;
        }
        if (Take('}')) {
            return AtEnd();
        }
        do {
            std::string key;
            JsonValue value;
            if (!ParseString(key) || !Take(':') || !ParseValue(value)) {
                return false;
            }
            object[key] = std::move(value);
        } while (Take(','));
        return Take('}') && AtEnd();
    }

private:
    void SkipBlanks() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\r' || m_text[m_pos] == '\n')) {
            ++m_pos;
        }
    }

    bool Take(char c) {
        SkipBlanks();
        return TakeExact(c);
    }

    bool AtEnd() {
        SkipBlanks();
        return m_pos == m_text.size();
    }

    bool ParseValue(JsonValue& value) {
        SkipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == '"') {
            value.m_kind = JsonValue::kString;
            return ParseString(value.m_text);
        }
        if (Take('[')) {
            value.m_kind = JsonValue::kArray;
            return ParseStringArray(value.m_items);
        }
        value.m_kind = JsonValue::kLiteral;
        return ParseLiteral(value.m_text);
    }

    bool ParseStringArray(std::vector<std::string>& items) {
        if (Take(']')) {
            return true;
        }
        do {
            items.emplace_back();
            if (!ParseString(items.back())) {
                return false;
            }
        } while (Take(','));
        return Take(']');
    }

    // true, false, null, or a number as RFC 8259 writes it: no sign "+", no
    // leading zero, digits on both sides of the point, no nan or infinity.
    bool ParseLiteral(std::string& text) {
        const std::size_t start = m_pos;
        for (const char* word : {"true", "false", "null"}) {
            if (m_text.compare(m_pos, std::string(word).size(), word) == 0) {
                m_pos += std::string(word).size();
                text = word;
                return true;
            }
        }
        TakeExact('-');
        const bool number = TakeInteger() && TakeFraction() && TakeExponent();
        text = m_text.substr(start, m_pos - start);
        return number;
    }

    bool TakeExact(char c) {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    bool IsDigitAt(std::size_t pos) const {
        return pos < m_text.size() && m_text[pos] >= '0' && m_text[pos] <= '9';
    }

    // One digit or more.
    bool TakeDigits() {
        const std::size_t start = m_pos;
        while (IsDigitAt(m_pos)) {
            ++m_pos;
        }
        return m_pos > start;
    }

    bool TakeInteger() { return TakeExact('0') || (IsDigitAt(m_pos) && TakeDigits()); }

    bool TakeFraction() { return !TakeExact('.') || TakeDigits(); }

    bool TakeExponent() {
        if (!TakeExact('e') && !TakeExact('E')) {
            return true;
        }
        if (!TakeExact('+')) {
            TakeExact('-');
        }
        return TakeDigits();
    }

    bool ParseString(std::string& out) {
        if (!Take('"')) {
            return false;
        }
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"') {
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return false;
            }
            if (c != '\\') {
                out.push_back(c);
            } else if (!ParseEscape(out)) {
                return false;
            }
        }
        return false;
    }

    bool ParseEscape(std::string& out) {
        if (m_pos == m_text.size()) {
            return false;
        }
        const char c = m_text[m_pos++];
        const std::string simple = "\"\\/bfnrt";
        const std::string meaning = "\"\\/\b\f\n\r\t";
        if (simple.find(c) != std::string::npos) {
            out.push_back(meaning[simple.find(c)]);
            return true;
        }
        if (c != 'u') {
            return false;
        }
        uint32_t code = 0;
        if (!TakeHex(code)) {
            return false;
        }
        if (code >= 0xDC00 && code <= 0xDFFF) {
            return false;  // a low surrogate with no high one before it
        }
        if (code >= 0xD800 && code <= 0xDBFF && !TakeLowSurrogate(code)) {
            return false;
        }
        AppendUtf8(code, out);
        return true;
    }

    // Exactly four hex digits.
    bool TakeHex(uint32_t& code) {
        const std::string digits = "0123456789abcdef0123456789ABCDEF";
        for (int i = 0; i < 4; ++i, ++m_pos) {
            const std::size_t value =
                m_pos < m_text.size() ? digits.find(m_text[m_pos]) : std::string::npos;
            if (value == std::string::npos) {
                return false;
            }
            code = code << 4 | static_cast<uint32_t>(value % 16);
        }
        return true;
    }

    // The "\uDC00".."\uDFFF" that must follow a high surrogate; the pair
    // becomes one code point above U+FFFF.
    bool TakeLowSurrogate(uint32_t& code) {
        uint32_t low = 0;
        if (!TakeExact('\\') || !TakeExact('u') || !TakeHex(low) || low < 0xDC00 || low > 0xDFFF) {
            return false;
        }
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        return true;
    }

    const std::string& m_text;
    std::size_t m_pos = 0;
};

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            out.push_back(c);
        }
    }
    return out + "\"";
}

std::optional<JsonObject> ParseJsonObject(const std::string& line) {
    JsonObject object;
    if (!IsUtf8(line) || !Reader(line).ParseObject(object)) {
        return std::nullopt;
    }
    return object;
}
