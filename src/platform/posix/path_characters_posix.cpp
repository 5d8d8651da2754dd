#include "fileio/path_characters.h"

// Names are bytes; only "/" separates, and case matters.
std::u32string PathCharacters(std::string_view path) {
    std::u32string codes;
    codes.reserve(path.size());
    for (const char byte : path) {
        codes.push_back(static_cast<unsigned char>(byte));
    }
    return codes;
}
