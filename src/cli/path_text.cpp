#include "cli/path_text.h"

#include "fileio/path_characters.h"

bool IsAtOrBelow(const std::string& path, const std::string& root) {
    const std::u32string below = PathCharacters(path);
    const std::u32string top = PathCharacters(root);
    if (top.empty() || below.compare(0, top.size(), top) != 0) {
        return false;
    }
    return below.size() == top.size() || top.back() == kSeparatorCode ||
           below[top.size()] == kSeparatorCode;
}
