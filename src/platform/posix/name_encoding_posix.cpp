// A POSIX name is bytes: one that is valid UTF-8 already is its own text.
#include "cli/name_encoding.h"

#include "cli/utf8.h"

std::optional<std::string> NameAsUtf8(const std::string& name) {
    return IsUtf8(name) ? std::optional<std::string>(name) : std::nullopt;
}

std::optional<std::string> NameFromUtf8(const std::string& text) {
    return text;
}
