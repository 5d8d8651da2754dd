#pragma once

#include <cstdint>
#include <string>

// The attribute byte: the low bits of the Windows attribute word.
constexpr uint8_t kAttrReadOnly = 0x01;
constexpr uint8_t kAttrHidden = 0x02;
constexpr uint8_t kAttrSystem = 0x04;
constexpr uint8_t kAttrDirectory = 0x10;
constexpr uint8_t kAttrArchive = 0x20;

// A file's attributes and times as read before a treatment and put back
// after it. Times are whole seconds since 1970-01-01 UTC, 0 meaning "not
// set"; they are 64-bit so that files dated after January 2038 keep theirs.
// The fraction of each second is kept beside it, in nanoseconds, as finely
// as the file system keeps it, so that a file put back is dated exactly.
struct FileStatus {
    int64_t m_creationTime = 0;
    int64_t m_lastWriteTime = 0;
    int64_t m_lastAccessTime = 0;
    int32_t m_creationNanos = 0;
    int32_t m_lastWriteNanos = 0;
    int32_t m_lastAccessNanos = 0;
    int64_t m_fileSize = 0;
    uint8_t m_attributes = 0;
    // The POSIX permission bits, so that clearing and restoring read-only
    // gives back the exact mode; unused on Windows.
    uint32_t m_permissions = 0;
    std::string m_fullPath;  // empty when it cannot be formed
};

// A creation or last-access time that the file system reports as 0 takes
// the last-write time, fraction and all, so that every time put back is a
// real one.
void DefaultUnsetTimes(FileStatus& status);

// False when the full path cannot be formed or the file is not found; the
// times, size and attributes are then not set. Safe from any thread.
bool GetFileStatus(const std::string& path, FileStatus& status);

// Whether the status of path can be read and is not a folder's.
bool IsFileWithStatus(const std::string& path);

// Applies the attributes and, when the last-write time is set, the times.
// A file that is read-only when the call begins gets its attributes before
// its times (setting times needs write access), any other file after them.
// Raises CFileException at the first step that fails.
void SetFileStatus(const std::string& path, const FileStatus& status);

// Raises CFileException when the file cannot be deleted.
void RemoveFile(const std::string& path);
