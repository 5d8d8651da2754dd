#include "fileio/full_path.h"

#include <string_view>

bool IsPathSeparator(char c) {
    return std::string_view(kPathSeparators).find(c) != std::string_view::npos;
}
