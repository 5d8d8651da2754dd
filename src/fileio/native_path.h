#pragma once

#include <filesystem>
#include <string>

// A path of this program, text in the system's code page, as
// std::filesystem takes it, and back. On Windows the library reads a
// narrow path as neither the ANSI code page nor its characters, and writes
// one as UTF-8, so every name that is not ASCII goes through the wide form.
std::filesystem::path NativePath(const std::string& path);
std::string NarrowPath(const std::filesystem::path& path);
