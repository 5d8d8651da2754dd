#pragma once

#include <string>

// Paths compared as text, as the file system compares names (see
// PathCharacters): on Windows "\" and "/" both separate folders, a trail
// byte is part of its character and case does not matter for any letter;
// elsewhere "/" alone separates and case matters. True when path is root or
// lies below it; both absolute and normalised.
bool IsAtOrBelow(const std::string& path, const std::string& root);
