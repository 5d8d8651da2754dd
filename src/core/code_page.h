#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

// The rules of the system's ANSI code page that text search depends on: in a
// double-byte code page a lead byte and the byte after it form one character,
// and a match may only begin where a character begins.
class CodePage {
public:
    static constexpr std::size_t npos = std::string_view::npos;

    static CodePage SingleByte() { return CodePage(); }
    // Lead bytes given as inclusive ranges, as the platform reports them.
    using LeadRanges = std::vector<std::pair<unsigned char, unsigned char>>;
    static CodePage DoubleByte(const LeadRanges& leads);

    bool IsDoubleByte() const { return m_doubleByte; }
    bool IsLeadByte(unsigned char byte) const { return m_lead[byte]; }

    // Byte offset of the first occurrence of text in line, or npos.
    std::size_t Find(std::string_view line, std::string_view text) const;

private:
    std::size_t FindAtCharacterStart(std::string_view line, std::string_view text) const;

    std::array<bool, 256> m_lead{};
    bool m_doubleByte = false;
};

// The code page of this system; single-byte where the platform has no ANSI code page.
const CodePage& SystemCodePage();
