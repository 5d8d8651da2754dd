#include "cli/json_name.h"

#include "cli/base64.h"
#include "cli/name_encoding.h"

namespace {

const JsonValue* Member(const JsonObject& object, const std::string& key) {
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &found->second;
}

std::optional<std::string> NameIn(const JsonValue* text, const JsonValue* bytes) {
    if (text != nullptr && text->m_kind == JsonValue::kString) {
        return bytes == nullptr ? NameFromUtf8(text->m_text) : std::nullopt;
    }
    const bool null =
        text != nullptr && text->m_kind == JsonValue::kLiteral && text->m_text == "null";
    if (null && bytes != nullptr && bytes->m_kind == JsonValue::kString) {
        return FromBase64(bytes->m_text);
    }
    return std::nullopt;
}

}  // namespace

std::string Base64Key(const std::string& key) {
    return key + "_base64";
}

std::string JsonNameMember(const std::string& key, const std::string& name) {
    if (const std::optional<std::string> text = NameAsUtf8(name)) {
        return JsonString(key) + ":" + JsonString(*text);
    }
    return JsonString(key) + ":null," + JsonString(Base64Key(key)) + ":" + JsonString(Base64(name));
}

std::optional<std::string> NameMember(const JsonObject& object, const std::string& key) {
    const std::optional<std::string> name =
        NameIn(Member(object, key), Member(object, Base64Key(key)));
    if (!name || name->empty() || name->find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return name;
}
