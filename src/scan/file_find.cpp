#include "scan/file_find.h"

#include "core/code_page.h"
#include "fileio/full_path.h"

std::string SearchPatternOf(const std::string& directory) {
    const bool endsInSeparator =
        SystemCodePage().EndsWithOneOf(directory, std::string(1, kPathSeparator));
    return directory + (endsInSeparator ? "" : std::string(1, kPathSeparator)) + "*.*";
}

bool CFileFind::FindFile(const std::string& pattern) {
    Close();
    m_error = 0;
    const std::string fullPattern = FullPathOf(pattern);
    const std::size_t lastSeparator = SystemCodePage().FindLastOf(fullPattern, kPathSeparators);
    if (fullPattern.empty() || lastSeparator == std::string::npos) {
        m_error = kNameTooLongError;
        return false;
    }
    if (!OpenListing(pattern)) {
        return false;
    }
    m_open = true;
    m_root = fullPattern.substr(0, lastSeparator);
    return true;
}

bool CFileFind::FindNextFile() {
    if (!m_open) {
        return false;
    }
    m_current = std::move(m_ahead);
    m_hasCurrent = true;
    return FetchAhead();
}

bool CFileFind::MatchesMask(uint32_t mask) const {
    return m_hasCurrent && (m_current.m_attributes & mask) != 0;
}

bool CFileFind::IsDots() const {
    return MatchesMask(kFindDirectory) && (m_current.m_name == "." || m_current.m_name == "..");
}

std::string CFileFind::GetFilePath() const {
    // Read by characters: a trail byte of the code page, which may be 0x5C,
    // ends no folder's name.
    const bool endsInSeparator = SystemCodePage().EndsWithOneOf(m_root, kPathSeparators);
    return endsInSeparator ? m_root + m_current.m_name : m_root + kPathSeparator + m_current.m_name;
}

void CFileFind::Close() {
    if (m_open) {
        CloseListing();
    }
    m_open = false;
    m_hasCurrent = false;
    m_current = Entry();
    m_ahead = Entry();
}
