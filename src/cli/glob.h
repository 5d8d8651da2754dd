#pragma once

#include <string_view>

// Whether a whole path matches a glob: "?" is one character and "*" any run
// of characters, neither crossing a path separator; "**" is any run,
// separators included; every other character is itself. Characters are
// those of the system's code page, compared as the file system compares
// them (see PathCharacters).
bool GlobMatches(std::string_view glob, std::string_view path);
