#include "cli/json.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void AppendUtf8(uint32_t code, std::string& out) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

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
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
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

    // A number, true, false or null.
    bool ParseLiteral(std::string& text) {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() &&
               std::string("+-.0123456789eEtrufalsn").find(m_text[m_pos]) != std::string::npos) {
            ++m_pos;
        }
        text = m_text.substr(start, m_pos - start);
        if (text == "true" || text == "false" || text == "null") {
            return true;
        }
        char* end = nullptr;
        std::strtod(text.c_str(), &end);
        return !text.empty() && end == text.c_str() + text.size();
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
        if (c != 'u' || m_pos + 4 > m_text.size()) {
            return false;
        }
        const std::string digits = m_text.substr(m_pos, 4);
        char* end = nullptr;
        const unsigned long code = std::strtoul(digits.c_str(), &end, 16);
        if (end != digits.c_str() + 4) {
            return false;
        }
        m_pos += 4;
        AppendUtf8(static_cast<uint32_t>(code), out);
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
    if (!Reader(line).ParseObject(object)) {
        return std::nullopt;
    }
    return object;
}
