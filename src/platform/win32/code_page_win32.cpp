#include <windows.h>

#include "core/code_page.h"

namespace {

// The upper case of one double-byte character as the system maps it, when
// that is another double-byte character.
bool UpperCaseOf(uint16_t character, uint16_t& upper) {
    const char bytes[2] = {static_cast<char>(character >> 8), static_cast<char>(character & 0xFF)};
    wchar_t wide = 0;
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, 2, &wide, 1) != 1) {
        return false;
    }
    const wchar_t original = wide;
    CharUpperBuffW(&wide, 1);
    char upperBytes[2] = {};
    BOOL defaultUsed = FALSE;
    if (wide == original ||
        WideCharToMultiByte(CP_ACP, 0, &wide, 1, upperBytes, 2, nullptr, &defaultUsed) != 2 ||
        defaultUsed) {
        return false;
    }
    upper = static_cast<uint16_t>(static_cast<unsigned char>(upperBytes[0]) << 8 |
                                  static_cast<unsigned char>(upperBytes[1]));
    return true;
}

CodePage::UpperCase ReadUpperCase(const CodePage::LeadRanges& leads) {
    CodePage::UpperCase upperCase;
    for (const auto& [first, last] : leads) {
        for (unsigned lead = first; lead <= last; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFF; ++trail) {
                const auto character = static_cast<uint16_t>(lead << 8 | trail);
                uint16_t upper = 0;
                if (UpperCaseOf(character, upper)) {
                    upperCase.emplace(character, upper);
                }
            }
        }
    }
    return upperCase;
}

CodePage ReadAnsiCodePage() {
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize < 2) {
        return CodePage::SingleByte();
    }
    // LeadByte holds up to six inclusive ranges, ended by a pair of zeros.
    CodePage::LeadRanges leads;
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
        leads.emplace_back(info.LeadByte[i], info.LeadByte[i + 1]);
    }
    return CodePage::DoubleByte(leads, ReadUpperCase(leads));
}

}  // namespace

const CodePage& SystemCodePage() {
    static const CodePage ansi = ReadAnsiCodePage();
    return ansi;
}
