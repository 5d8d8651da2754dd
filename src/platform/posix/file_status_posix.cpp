// File status on POSIX, mapped onto the Windows attribute byte:
// - read-only is "no write permission bit at all"; clearing it adds the
//   owner's write bit, and restoring it puts back the exact mode saved in
//   m_permissions;
// - hidden is a name beginning with "." and cannot be changed;
// - there is no system or archive bit;
// - the creation time is read where the file system has one (statx) and is
//   never set; last-write and last-access times are set with utimensat, to
//   the nanosecond;
// - a symbolic link found in a folder listing is never followed: its own
//   status is read, and no status is set through it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "fileio/file_status.h"
#include "fileio/full_path.h"
#include "fileio/status_calls.h"
#include "platform/posix/listed_folder.h"
#include "platform/posix/os_error_posix.h"

namespace {

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

bool IsHiddenName(const std::string& path) {
    const std::size_t nameStart = path.find_last_of('/') + 1;
    return nameStart < path.size() && path[nameStart] == '.';
}

uint8_t AttributesOf(mode_t mode, const std::string& path) {
    uint8_t attributes = 0;
    attributes |= (mode & kAnyWriteBit) == 0 ? kAttrReadOnly : 0;
    attributes |= IsHiddenName(path) ? kAttrHidden : 0;
    attributes |= S_ISDIR(mode) ? kAttrDirectory : 0;
    return attributes;
}

timespec TimeOf(int64_t seconds, int32_t nanos) {
    return timespec{static_cast<time_t>(seconds), nanos};
}

}  // namespace

bool GetFileStatus(const std::string& path, FileStatus& status) {
    status.m_fullPath = FullPathOf(path);
    const RelativePath at = RelativeToListedFolder(path);
    struct statx info {};
    if (status.m_fullPath.empty() || InjectedFailure(FileCall::GetStatus) ||
        statx(at.m_folder, at.m_name, NoFollowAtFlag(at), STATX_BASIC_STATS | STATX_BTIME, &info) !=
            0) {
        return false;
    }
    status.m_attributes = AttributesOf(info.stx_mode, status.m_fullPath);
    status.m_permissions = info.stx_mode & 07777;
    status.m_fileSize = static_cast<int64_t>(info.stx_size);
    status.m_lastWriteTime = info.stx_mtime.tv_sec;
    status.m_lastWriteNanos = static_cast<int32_t>(info.stx_mtime.tv_nsec);
    status.m_lastAccessTime = info.stx_atime.tv_sec;
    status.m_lastAccessNanos = static_cast<int32_t>(info.stx_atime.tv_nsec);
    const bool born = (info.stx_mask & STATX_BTIME) != 0;
    status.m_creationTime = born ? info.stx_btime.tv_sec : 0;
    status.m_creationNanos = born ? static_cast<int32_t>(info.stx_btime.tv_nsec) : 0;
    DefaultUnsetTimes(status);
    return true;
}

uint32_t AttributeWordOf(const std::string& path) {
    const RelativePath at = RelativeToListedFolder(path);
    struct stat info {};
    if (InjectedFailure(FileCall::GetAttributes) ||
        fstatat(at.m_folder, at.m_name, &info, NoFollowAtFlag(at)) != 0) {
        throw FileErrorFromOs(errno);
    }
    if (S_ISLNK(info.st_mode)) {
        throw FileErrorFromOs(ELOOP);
    }
    return info.st_mode & 07777;
}

// The status's read-only bit and otherwise the permissions the file had
// when the status was read.
uint32_t AttributeWordFor(const FileStatus& status) {
    const mode_t saved = status.m_permissions;
    if (status.m_attributes & kAttrReadOnly) {
        return saved & ~kAnyWriteBit;
    }
    return (saved & kAnyWriteBit) != 0 ? saved : saved | S_IWUSR;
}

bool IsReadOnlyWord(uint32_t word) {
    return (word & kAnyWriteBit) == 0;
}

void SetAttributeWord(const std::string& path, uint32_t word) {
    const RelativePath at = RelativeToListedFolder(path);
    if (InjectedFailure(FileCall::SetAttributes) ||
        fchmodat(at.m_folder, at.m_name, word, NoFollowAtFlag(at)) != 0) {
        throw FileErrorFromOs(errno);
    }
}

void SetFileTimes(const std::string& path, const FileStatus& status) {
    const timespec omit{0, UTIME_OMIT};
    const timespec times[2] = {
        status.m_lastAccessTime != 0 ? TimeOf(status.m_lastAccessTime, status.m_lastAccessNanos)
                                     : omit,
        TimeOf(status.m_lastWriteTime, status.m_lastWriteNanos),
    };
    const RelativePath at = RelativeToListedFolder(path);
    if (InjectedFailure(FileCall::SetTimes) ||
        utimensat(at.m_folder, at.m_name, times, NoFollowAtFlag(at)) != 0) {
        throw FileErrorFromOs(errno);
    }
}

void RemoveFile(const std::string& path) {
    const RelativePath at = RelativeToListedFolder(path);
    if (InjectedFailure(FileCall::Delete) || unlinkat(at.m_folder, at.m_name, 0) != 0) {
        throw FileErrorFromOs(errno);
    }
}
