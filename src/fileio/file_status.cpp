#include "fileio/file_status.h"

#include "fileio/status_calls.h"

void DefaultUnsetTimes(FileStatus& status) {
    if (status.m_creationTime == 0) {
        status.m_creationTime = status.m_lastWriteTime;
        status.m_creationNanos = status.m_lastWriteNanos;
    }
    if (status.m_lastAccessTime == 0) {
        status.m_lastAccessTime = status.m_lastWriteTime;
        status.m_lastAccessNanos = status.m_lastWriteNanos;
    }
}

bool IsFileWithStatus(const std::string& path) {
    FileStatus status;
    return GetFileStatus(path, status) && (status.m_attributes & kAttrDirectory) == 0;
}

// Setting the times needs write access, so a file that is read-only gets its
// new attributes first; any other file gets them last, so that a read-only
// bit being set comes after the times.
void SetFileStatus(const std::string& path, const FileStatus& status) {
    const uint32_t current = AttributeWordOf(path);
    const uint32_t wanted = AttributeWordFor(status);
    const bool changes = wanted != current;
    const bool wasReadOnly = IsReadOnlyWord(current);
    if (changes && wasReadOnly) {
        SetAttributeWord(path, wanted);
    }
    if (status.m_lastWriteTime != 0) {
        SetFileTimes(path, status);
    }
    if (changes && !wasReadOnly) {
        SetAttributeWord(path, wanted);
    }
}
