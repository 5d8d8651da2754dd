#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes all of data to an open file, or raises CFileException naming name.
// A write that takes no byte at all is a full disk.
void WriteAll(std::intptr_t file, const char* data, std::size_t size, const std::string& name);

// The backend's part: one write call, an interrupted one retried; the count
// written, which may be less than size. Raises CFileException naming name.
std::size_t WriteSome(std::intptr_t file, const char* data, std::size_t size,
                      const std::string& name);
