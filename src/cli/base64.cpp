#include "cli/base64.h"

#include <algorithm>
#include <cstdint>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::string Base64(const std::string& bytes) {
    std::string text;
    for (std::size_t pos = 0; pos < bytes.size(); pos += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - pos);
        uint32_t group = 0;
        for (std::size_t i = 0; i < 3; ++i) {
            const unsigned char byte = i < count ? static_cast<unsigned char>(bytes[pos + i]) : 0;
            group = group << 8 | byte;
        }
        for (std::size_t i = 0; i < 4; ++i) {
            text.push_back(i <= count ? kAlphabet[(group >> (18 - 6 * i)) & 0x3F] : '=');
        }
    }
    return text;
}

// Decodes by the plain rule and then writes the result back: only text that
// comes back unchanged is canonical, which settles padding and the unused
// low bits of the last character at once.
std::optional<std::string> FromBase64(const std::string& text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    const std::string alphabet = kAlphabet;
    std::string bytes;
    uint32_t group = 0;
    int bits = 0;
    for (const char c : text) {
        const std::size_t value = alphabet.find(c);
        if (c == '=' || value == std::string::npos) {
            continue;
        }
        group = (group << 6 | static_cast<uint32_t>(value)) & 0xFFFFFF;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<char>((group >> bits) & 0xFF));
        }
    }
    if (Base64(bytes) != text) {
        return std::nullopt;
    }
    return bytes;
}
