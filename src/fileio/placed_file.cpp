#include "fileio/placed_file.h"

#include <algorithm>

#include "core/code_page.h"
#include "fileio/file_exception.h"
#include "fileio/full_path.h"

namespace {

bool IsDotName(const std::string& part) {
    return part == "." || part == "..";
}

}  // namespace

PlacedFile::PlacedFile(const std::string& start, const std::string& relative) : m_path(start) {
    std::vector<std::string> parts;
    std::string part;
    const std::string path = relative + '/';
    const CodePage& codePage = SystemCodePage();
    for (std::size_t pos = 0; pos < path.size();) {
        // A trail byte of the code page is part of its character, never a separator.
        const std::size_t size = codePage.CharacterSize(path, pos);
        if (size > 1 || !IsPathSeparator(path[pos])) {
            part.append(path, pos, size);
        } else if (!part.empty()) {
            parts.push_back(std::move(part));
            part.clear();
        }
        pos += size;
    }
    if (parts.empty() || std::any_of(parts.begin(), parts.end(), IsDotName)) {
        throw CFileException(CFileException::kNoOsError, relative);
    }
    m_name = parts.back();
    parts.pop_back();
    try {
        Walk(start, parts);
    } catch (const CFileException&) {
        Release();
        throw;
    }
}

PlacedFile::~PlacedFile() {
    Release();
}

void PlacedFile::Walk(const std::string& start, const std::vector<std::string>& folders) {
    HoldStart(start);
    for (const std::string& part : folders) {
        if (!m_missing.empty() || !Enter(part)) {
            m_missing.push_back(part);
        }
    }
}

void PlacedFile::MakeMissingFolders() {
    for (const std::string& part : m_missing) {
        MakeFolder(part);
        if (!Enter(part)) {
            throw CFileException(CFileException::kNoOsError, m_path);
        }
    }
    m_missing.clear();
}
