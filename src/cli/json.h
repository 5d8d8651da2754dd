#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

// The little JSON that the manifest and the report need: one flat object
// per line.

// text as a JSON string, quotes included. Bytes of 0x80 and up pass as they
// are, so a path in the system's code page comes back byte for byte.
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

// The object on one line, or nothing when the line is not such an object.
std::optional<JsonObject> ParseJsonObject(const std::string& line);
