#pragma once

#include <string>

// A file's bytes exactly as they are on disk. Raises CFileException when the
// file cannot be opened or read.
std::string ReadAllBytes(const std::string& path);
