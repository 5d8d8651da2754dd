#include "fileio/native_path.h"

// A path is its bytes.
std::filesystem::path NativePath(const std::string& path) {
    return std::filesystem::path(path);
}

std::string NarrowPath(const std::filesystem::path& path) {
    return path.string();
}
