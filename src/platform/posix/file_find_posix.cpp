// Directory listing on POSIX. An entry's attributes are those the walk
// needs: directory (a link to a directory counts as one, as on Windows),
// reparse point for a symbolic link, hidden for a name beginning with ".".
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fileio/fault_injection.h"
#include "fileio/full_path.h"
#include "platform/posix/listed_folder.h"
#include "platform/posix/os_error_posix.h"
#include "scan/file_find.h"

const char kPathSeparator = '/';

namespace {

DIR* Dir(std::intptr_t handle) {
    return reinterpret_cast<DIR*>(handle);
}

struct EntryKind {
    bool m_directory = false;
    bool m_link = false;
};

// The file system's own answer where readdir gave none or named a link.
EntryKind KindFromStat(int folder, const char* name) {
    struct stat own {};
    struct stat target {};
    EntryKind kind;
    if (fstatat(folder, name, &own, AT_SYMLINK_NOFOLLOW) == 0) {
        kind.m_link = S_ISLNK(own.st_mode);
        kind.m_directory = kind.m_link
                               ? fstatat(folder, name, &target, 0) == 0 && S_ISDIR(target.st_mode)
                               : S_ISDIR(own.st_mode);
    }
    return kind;
}

uint32_t AttributesOf(const dirent& entry, int folder) {
    const bool needsStat = entry.d_type == DT_UNKNOWN || entry.d_type == DT_LNK;
    const EntryKind kind =
        needsStat ? KindFromStat(folder, entry.d_name) : EntryKind{entry.d_type == DT_DIR, false};
    uint32_t attributes = 0;
    attributes |= kind.m_directory ? kFindDirectory : 0;
    attributes |= kind.m_link ? kFindReparsePoint : 0;
    attributes |= entry.d_name[0] == '.' ? 0x02 : 0;
    return attributes;
}

DIR* OpenDirectory(const std::string& path) {
    const RelativePath at = RelativeToListedFolder(path);
    const int fd = openat(at.m_folder, at.m_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (dir == nullptr && fd >= 0) {
        close(fd);
    }
    return dir;
}

}  // namespace

bool CFileFind::OpenListing(const std::string& pattern) {
    m_folder = pattern.substr(0, pattern.find_last_of('/'));
    if (m_folder.empty()) {
        m_folder = "/";
    }
    DIR* dir = InjectedFailure(FileCall::ListDirectory) ? nullptr : OpenDirectory(m_folder);
    if (dir == nullptr) {
        return false;
    }
    m_handle = reinterpret_cast<std::intptr_t>(dir);
    if (!FetchAhead()) {
        closedir(dir);
        return false;
    }
    EnterListedFolder(FullPathOf(m_folder), dirfd(dir));
    return true;
}

bool CFileFind::FetchAhead() {
    const dirent* entry = readdir(Dir(m_handle));
    if (entry == nullptr) {
        return false;
    }
    m_ahead = Entry{entry->d_name, AttributesOf(*entry, dirfd(Dir(m_handle)))};
    return true;
}

void CFileFind::CloseListing() {
    LeaveListedFolder(dirfd(Dir(m_handle)));
    closedir(Dir(m_handle));
}

bool GetDirectoryId(const std::string& path, DirectoryId& id) {
    const RelativePath at = RelativeToListedFolder(path);
    struct stat info {};
    if (fstatat(at.m_folder, at.m_name, &info, 0) != 0) {
        return false;
    }
    id = DirectoryId{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
    return true;
}
