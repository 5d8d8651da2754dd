#pragma once

#include <cstdint>
#include <string>

#include "fileio/file_status.h"

// The system calls SetFileStatus is made of, one backend per platform. The
// attribute word is the attributes as the system keeps them: the
// permission bits on POSIX, the attribute word on Windows. Each call raises
// CFileException.

uint32_t AttributeWordOf(const std::string& path);
// The word that gives the file the status's attributes.
uint32_t AttributeWordFor(const FileStatus& status);
bool IsReadOnlyWord(uint32_t word);
void SetAttributeWord(const std::string& path, uint32_t word);
// The last-write time, and the others where they are set and the system
// can set them.
void SetFileTimes(const std::string& path, const FileStatus& status);
