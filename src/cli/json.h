#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

// The little JSON that the manifest and the report need: one flat object
// per line.

// text (UTF-8) as a JSON string, quotes included; quotes, backslashes and
// control characters are escaped, everything else passes as it is.
std::string JsonString(const std::string& text);

// One value of a flat object: a string (unescaped), a number, true, false
// or null (as written), or an array of strings.
struct JsonValue {
    enum Kind { kString, kLiteral, kArray };
    Kind m_kind = kLiteral;
    std::string m_text;
    std::vector<std::string> m_items;
};
using JsonObject = std::map<std::string, JsonValue>;

// The object on one line, or nothing when the line is not such an object
// or not strict JSON: UTF-8 only, exactly four hex digits after "\u", a
// surrogate only in a pair (which becomes one character), numbers as RFC
// 8259 writes them.
std::optional<JsonObject> ParseJsonObject(const std::string& line);
