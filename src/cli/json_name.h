#pragma once

#include <optional>
#include <string>

#include "cli/json.h"

// A file name as a member of a JSON object, its bytes kept exactly: as text
// when it has a UTF-8 form ("path":"/srv/a.htm"), else as null beside its
// bytes in base64 under the key with "_base64" added
// ("path":null,"path_base64":"L3Nydi9i/y5odG0=").
std::string JsonNameMember(const std::string& key, const std::string& name);

// The name that JsonNameMember wrote under key, or nothing when the member
// is missing, malformed, or names nothing the system can name (an empty
// name or one with a NUL byte included).
std::optional<std::string> NameMember(const JsonObject& object, const std::string& key);

// The key beside key that holds a name's bytes in base64.
std::string Base64Key(const std::string& key);
