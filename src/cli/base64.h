#pragma once

#include <optional>
#include <string>

// Standard base64 (RFC 4648, with "=" padding).
std::string Base64(const std::string& bytes);

// The bytes of canonical base64 text, or nothing when the text is not
// exactly what Base64 writes for some bytes.
std::optional<std::string> FromBase64(const std::string& text);
