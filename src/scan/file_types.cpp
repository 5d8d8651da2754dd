#include "scan/file_types.h"

namespace {

// The blanks of the "C" locale, whatever the user's locale says.
bool IsSeparator(char byte) {
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

}  // namespace

MaskList ParseFileTypes(const std::string& text) {
    MaskList masks;
    std::size_t pos = 0;
    for (;;) {
        while (pos < text.size() && IsSeparator(text[pos])) {
            ++pos;
        }
        if (pos == text.size()) {
            return masks;
        }
        const std::size_t start = pos;
        while (pos < text.size() && !IsSeparator(text[pos])) {
            ++pos;
        }
        masks.push_back(text.substr(start, pos - start));
    }
}
