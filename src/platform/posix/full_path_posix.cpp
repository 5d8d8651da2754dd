#include <unistd.h>

#include <climits>

#include "fileio/full_path.h"

const char kPathSeparator = '/';
const char kPathSeparators[] = "/";

std::string FullPathOf(const std::string& path) {
    if (!path.empty() && path[0] == '/') {
        return path;
    }
    char cwd[PATH_MAX];
    return getcwd(cwd, sizeof cwd) != nullptr ? std::string(cwd) + "/" + path : std::string();
}
