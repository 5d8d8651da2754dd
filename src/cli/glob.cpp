#include "cli/glob.h"

#include <string>
#include <vector>

#include "fileio/path_characters.h"

// One pass over the glob, keeping for every length of the path's beginning
// whether the glob read so far matches it: time in glob size times path
// size, whatever the stars, so no glob makes a walk crawl.
bool GlobMatches(std::string_view globText, std::string_view pathText) {
    const std::u32string glob = PathCharacters(globText);
    const std::u32string path = PathCharacters(pathText);
    std::vector<char> matched(path.size() + 1, 0);
    matched[0] = 1;
    for (std::size_t i = 0; i < glob.size(); ++i) {
        std::vector<char> next(path.size() + 1, 0);
        const bool doubleStar = glob[i] == U'*' && i + 1 < glob.size() && glob[i + 1] == U'*';
        if (glob[i] == U'*') {
            i += doubleStar ? 1 : 0;
            next[0] = matched[0];
            for (std::size_t j = 1; j <= path.size(); ++j) {
                const bool extends = next[j - 1] && (doubleStar || path[j - 1] != kSeparatorCode);
                next[j] = matched[j] || extends;
            }
        } else {
            for (std::size_t j = 0; j < path.size(); ++j) {
                const bool one = glob[i] == U'?' ? path[j] != kSeparatorCode : glob[i] == path[j];
                next[j + 1] = matched[j] && one;
            }
        }
        matched.swap(next);
    }
    return matched[path.size()] != 0;
}
