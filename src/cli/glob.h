#pragma once

#include <string_view>

// Whether a whole path matches a glob: "?" is one character and "*" any run
// of characters, neither crossing a path separator; "**" is any run,
// separators included; every other character is itself. On Windows "\" and
// "/" both separate and ASCII letters match either case.
bool GlobMatches(std::string_view glob, std::string_view path);
