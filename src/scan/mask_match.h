#pragma once

#include <string>

#include "core/code_page.h"

// "*." and everything after the last "." of the whole full path, or "" when
// it holds none: the dot is not looked for in the name alone, so
// "C:\my.site\readme" gives "*.site\readme".
std::string ExtensionPattern(const std::string& fullPath);

// Masks are not wildcards: a mask matches a pattern equal to it ignoring
// ASCII case, and only "*.*" matches every file.
bool MaskMatches(const std::string& mask, const std::string& pattern, const CodePage& codePage);

// Whether some file's pattern can equal the mask: it is "*.*", or "*." and
// text without a dot (what follows the last dot of a path holds none).
bool CanMatchAFile(const std::string& mask);
