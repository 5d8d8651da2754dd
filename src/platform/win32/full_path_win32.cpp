#include <windows.h>

#include "fileio/full_path.h"

const char kPathSeparator = '\\';
const char kPathSeparators[] = "\\/";

std::string FullPathOf(const std::string& path) {
    char buffer[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
    // A result that does not fit comes back as the size it would need.
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return std::string(buffer, length);
}
