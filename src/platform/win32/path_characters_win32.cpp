#include <windows.h>

#include "core/code_page.h"
#include "fileio/path_characters.h"

namespace {

// Above every Unicode character: a byte sequence that is no character of
// the code page stays itself and equals no other.
constexpr char32_t kNoCharacter = 0x110000;

char32_t CodeOf(std::string_view character) {
    wchar_t wide = 0;
    const int converted = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, character.data(),
                                              static_cast<int>(character.size()), &wide, 1);
    if (converted != 1) {
        char32_t bytes = 0;
        for (const char byte : character) {
            bytes = bytes << 8 | static_cast<unsigned char>(byte);
        }
        return kNoCharacter + bytes;
    }
    // NTFS compares names by each letter's simple upper case, which this gives.
    CharUpperBuffW(&wide, 1);
    return wide == L'\\' ? kSeparatorCode : static_cast<char32_t>(wide);
}

}  // namespace

std::u32string PathCharacters(std::string_view path) {
    const CodePage& codePage = SystemCodePage();
    std::u32string codes;
    codes.reserve(path.size());
    for (std::size_t pos = 0; pos < path.size();) {
        const std::size_t size = codePage.CharacterSize(path, pos);
        codes.push_back(CodeOf(path.substr(pos, size)));
        pos += size;
    }
    return codes;
}
