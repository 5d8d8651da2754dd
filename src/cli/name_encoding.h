#pragma once

#include <optional>
#include <string>

// File names travel through the JSON files as UTF-8. A name as the system
// gives it (the ANSI code page on Windows, bytes elsewhere) becomes UTF-8,
// or nothing when no UTF-8 text gives it back exactly.
std::optional<std::string> NameAsUtf8(const std::string& name);

// UTF-8 text back as a name of the system, or nothing when the system
// cannot name it exactly.
std::optional<std::string> NameFromUtf8(const std::string& text);
