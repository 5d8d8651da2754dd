#pragma once

#include <string>

#include "fileio/file_status.h"

// A file's bytes exactly as they are on disk. Raises CFileException when the
// file cannot be opened or read.
std::string ReadAllBytes(const std::string& path);

// Makes path hold exactly these bytes and then gives it the status
// (attributes or permission bits, and times). The bytes are written beside
// it and flushed before they take its place; missing folders are created.
// Raises CFileException when anything fails.
void WriteAllBytes(const std::string& path, const std::string& bytes, const FileStatus& status);
