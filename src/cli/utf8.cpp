#include "cli/utf8.h"

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the character that begins with lead, and the smallest code
// point that length may hold (anything less is an overlong form); 0 when
// lead cannot begin a character.
std::size_t SequenceLength(unsigned char lead, uint32_t& least) {
    if (lead < 0x80) {
        least = 0;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        least = 0x80;
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        least = 0x800;
        return 3;
    }
    if ((lead & 0xF8) == 0xF0) {
        least = 0x10000;
        return 4;
    }
    return 0;
}

}  // namespace

bool IsUtf8(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        uint32_t least = 0;
        const unsigned char lead = static_cast<unsigned char>(text[pos]);
        const std::size_t length = SequenceLength(lead, least);
        if (length == 0 || pos + length > text.size()) {
            return false;
        }
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t i = 1; i < length; ++i) {
            const unsigned char byte = static_cast<unsigned char>(text[pos + i]);
            if (!IsContinuation(byte)) {
                return false;
            }
            code = code << 6 | (byte & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        pos += length;
    }
    return true;
}

void AppendUtf8(uint32_t code, std::string& out) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
        return;
    }
    const std::size_t length = code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    static const unsigned char kLeadBits[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out.push_back(static_cast<char>(kLeadBits[length] | (code >> (6 * (length - 1)))));
    for (std::size_t i = length - 1; i > 0; --i) {
        out.push_back(static_cast<char>(0x80 | ((code >> (6 * (i - 1))) & 0x3F)));
    }
}
