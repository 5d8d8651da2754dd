#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

// The rules of the system's ANSI code page that text search and name
// comparison depend on: in a double-byte code page a lead byte and the byte
// after it form one character, a match may only begin where a character
// begins, and some double-byte characters have an upper-case form.
class CodePage {
public:
    static constexpr std::size_t npos = std::string_view::npos;

    static CodePage SingleByte() { return CodePage(); }
    // Lead bytes given as inclusive ranges, as the platform reports them.
    using LeadRanges = std::vector<std::pair<unsigned char, unsigned char>>;
    // Double-byte characters (lead byte << 8 | trail byte) and their upper case.
    using UpperCase = std::map<uint16_t, uint16_t>;
    static CodePage DoubleByte(const LeadRanges& leads, UpperCase upper = {});

    bool IsDoubleByte() const { return m_doubleByte; }
    bool IsLeadByte(unsigned char byte) const { return m_lead[byte]; }
    // The upper case of a double-byte character, or the character itself.
    uint16_t ToUpper(uint16_t character) const;

    // Bytes of the character that begins at pos: a lead byte and the byte
    // after it, or one byte.
    std::size_t CharacterSize(std::string_view text, std::size_t pos) const;

    // Byte offset of the first occurrence of text in line, or npos.
    std::size_t Find(std::string_view line, std::string_view text) const;
    // Byte offset of the last character of text that is one of the
    // single-byte characters of set, or npos; a trail byte is never one.
    std::size_t FindLastOf(std::string_view text, std::string_view set) const;
    // Whether the last character of text is one of the single-byte characters of set.
    bool EndsWithOneOf(std::string_view text, std::string_view set) const;

private:
    std::size_t FindAtCharacterStart(std::string_view line, std::string_view text) const;

    std::array<bool, 256> m_lead{};
    bool m_doubleByte = false;
    UpperCase m_upper;
};

// The code page of this system; single-byte where the platform has no ANSI code page.
const CodePage& SystemCodePage();
