#include "scan/drive_folders.h"

#include <algorithm>

DriveFolders::DriveFolders(const std::vector<std::string>& roots) {
    for (const std::string& root : roots) {
        CFileFind finder;
        DirectoryId id;
        if (finder.FindFile(SearchPatternOf(root)) && finder.GetFolderId(id)) {
            m_roots.push_back(id);
        }
    }
}

bool DriveFolders::FirstVisit(const DirectoryId& id) {
    const auto has = [&id](const std::vector<DirectoryId>& ids) {
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    if (!has(m_roots)) {
        return true;
    }
    if (has(m_walked)) {
        return false;
    }
    m_walked.push_back(id);
    return true;
}
