#include "cli/path_text.h"

#include <algorithm>

namespace {

#ifdef _WIN32
constexpr bool kIgnoreCase = true;
#else
constexpr bool kIgnoreCase = false;
#endif

char Folded(char c) {
    return kIgnoreCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool IsPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

bool SamePathCharacter(char a, char b) {
    return IsPathSeparator(a) ? IsPathSeparator(b) : Folded(a) == Folded(b);
}

bool IsAtOrBelow(const std::string& path, const std::string& root) {
    if (root.empty() || path.size() < root.size() ||
        !std::equal(root.begin(), root.end(), path.begin(), SamePathCharacter)) {
        return false;
    }
    return path.size() == root.size() || IsPathSeparator(root.back()) ||
           IsPathSeparator(path[root.size()]);
}
