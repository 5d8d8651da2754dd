#include "scan/mask_match.h"

namespace {

char AsciiUpper(char byte) {
    return byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte;
}

uint16_t DoubleByteAt(const std::string& text, std::size_t pos) {
    return static_cast<uint16_t>(static_cast<unsigned char>(text[pos]) << 8 |
                                 static_cast<unsigned char>(text[pos + 1]));
}

// Walks both strings by characters of the code page: single bytes compare
// ignoring ASCII case, double-byte characters after the code page's
// upper-case mapping.
bool EqualIgnoringCase(const std::string& a, const std::string& b, const CodePage& codePage) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t pos = 0; pos < a.size(); ++pos) {
        if (codePage.CharacterSize(a, pos) == 2) {
            if (codePage.ToUpper(DoubleByteAt(a, pos)) != codePage.ToUpper(DoubleByteAt(b, pos))) {
                return false;
            }
            ++pos;
        } else if (AsciiUpper(a[pos]) != AsciiUpper(b[pos])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string ExtensionPattern(const std::string& fullPath) {
    const std::size_t dot = fullPath.rfind('.');
    return dot == std::string::npos ? std::string() : "*." + fullPath.substr(dot + 1);
}

bool MaskMatches(const std::string& mask, const std::string& pattern, const CodePage& codePage) {
    return mask == "*.*" || EqualIgnoringCase(mask, pattern, codePage);
}

bool CanMatchAFile(const std::string& mask) {
    return mask == "*.*" ||
           (mask.compare(0, 2, "*.") == 0 && mask.find('.', 2) == std::string::npos);
}
