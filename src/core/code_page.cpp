#include "core/code_page.h"

CodePage CodePage::DoubleByte(const LeadRanges& leads, UpperCase upper) {
    CodePage codePage;
    codePage.m_doubleByte = true;
    codePage.m_upper = std::move(upper);
    for (const auto& [first, last] : leads) {
        for (unsigned byte = first; byte <= last; ++byte) {
            codePage.m_lead[byte] = true;
        }
    }
    return codePage;
}

uint16_t CodePage::ToUpper(uint16_t character) const {
    const auto upper = m_upper.find(character);
    return upper == m_upper.end() ? character : upper->second;
}

std::size_t CodePage::CharacterSize(std::string_view text, std::size_t pos) const {
    return IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

std::size_t CodePage::Find(std::string_view line, std::string_view text) const {
    return m_doubleByte ? FindAtCharacterStart(line, text) : line.find(text);
}

std::size_t CodePage::FindAtCharacterStart(std::string_view line, std::string_view text) const {
    // In a double-byte code page even the empty text is not found in an empty line.
    for (std::size_t pos = 0; pos < line.size();) {
        if (line.compare(pos, text.size(), text) == 0) {
            return pos;
        }
        pos += CharacterSize(line, pos);
    }
    return npos;
}

std::size_t CodePage::FindLastOf(std::string_view text, std::string_view set) const {
    if (!m_doubleByte) {
        return text.find_last_of(set);
    }
    std::size_t last = npos;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t size = CharacterSize(text, pos);
        if (size == 1 && set.find(text[pos]) != std::string_view::npos) {
            last = pos;
        }
        pos += size;
    }
    return last;
}

bool CodePage::EndsWithOneOf(std::string_view text, std::string_view set) const {
    return !text.empty() && FindLastOf(text, set) == text.size() - 1;
}
