#include "cli/path_check.h"

#include "fileio/file_status.h"
#include "scan/file_find.h"

std::optional<std::string> WhyUnscannable(const std::string& path) {
    FileStatus status;
    if (!GetFileStatus(path, status)) {
        return "cannot find or read it";
    }
    if ((status.m_attributes & kAttrDirectory) == 0) {
        return std::nullopt;
    }
    CFileFind finder;
    if (!finder.FindFile(SearchPatternOf(path))) {
        return "cannot list the folder";
    }
    return std::nullopt;
}
