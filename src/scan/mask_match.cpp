#include "scan/mask_match.h"

namespace {

char AsciiUpper(char byte) {
    return byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte;
}

// Walks both strings by characters of the code page: single bytes compare
// ignoring ASCII case, the two bytes of a double-byte character exactly.
bool EqualIgnoringCase(const std::string& a, const std::string& b, const CodePage& codePage) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t pos = 0; pos < a.size(); ++pos) {
        if (codePage.IsLeadByte(static_cast<unsigned char>(a[pos])) && pos + 1 < a.size()) {
            if (a[pos] != b[pos] || a[pos + 1] != b[pos + 1]) {
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
