#pragma once

#include <string>

// Paths compared as text, as the file system compares names: on Windows "\"
// and "/" both separate folders and the case of ASCII letters does not
// matter; elsewhere "/" alone separates and case matters.
bool IsPathSeparator(char c);
bool SamePathCharacter(char a, char b);

// True when path is root or lies below it; both absolute and normalised.
bool IsAtOrBelow(const std::string& path, const std::string& root);
