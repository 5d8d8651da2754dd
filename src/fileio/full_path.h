#pragma once

#include <string>

// The separator the platform puts between the parts of a path, and every
// one it takes: "\\" and "/" on Windows, "/" alone elsewhere, where a
// backslash is part of a name.
extern const char kPathSeparator;
extern const char kPathSeparators[];

// True for a byte that is one of kPathSeparators. Only for a byte that
// begins a character: a trail byte of the code page may be 0x5C.
bool IsPathSeparator(char c);

// The absolute form of a path as the platform forms it, without following
// links; empty when it cannot be formed (or, on Windows, needs more than
// 259 characters).
std::string FullPathOf(const std::string& path);
