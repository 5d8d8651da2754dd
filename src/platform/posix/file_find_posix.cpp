// Directory listing on POSIX. An entry's attributes are those the walk
// needs: directory (a link to a directory counts as one, as on Windows),
// reparse point for a symbolic link, hidden for a name beginning with ".".
#include <dirent.h>
#include <sys/stat.h>

#include "fileio/fault_injection.h"
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
EntryKind KindFromStat(const std::string& path) {
    struct stat own {};
    struct stat target {};
    EntryKind kind;
    if (lstat(path.c_str(), &own) == 0) {
        kind.m_link = S_ISLNK(own.st_mode);
        kind.m_directory = kind.m_link ? stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode)
                                       : S_ISDIR(own.st_mode);
    }
    return kind;
}

uint32_t AttributesOf(const dirent& entry, const std::string& folder) {
    const bool needsStat = entry.d_type == DT_UNKNOWN || entry.d_type == DT_LNK;
    const EntryKind kind = needsStat ? KindFromStat(folder + "/" + entry.d_name)
                                     : EntryKind{entry.d_type == DT_DIR, false};
    uint32_t attributes = 0;
    attributes |= kind.m_directory ? kFindDirectory : 0;
    attributes |= kind.m_link ? kFindReparsePoint : 0;
    attributes |= entry.d_name[0] == '.' ? 0x02 : 0;
    return attributes;
}

}  // namespace

bool CFileFind::OpenListing(const std::string& pattern) {
    m_folder = pattern.substr(0, pattern.find_last_of('/'));
    if (m_folder.empty()) {
        m_folder = "/";
    }
    DIR* dir = InjectedFailure(FileCall::ListDirectory) ? nullptr : opendir(m_folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    m_handle = reinterpret_cast<std::intptr_t>(dir);
    if (!FetchAhead()) {
        closedir(dir);
        return false;
    }
    return true;
}

bool CFileFind::FetchAhead() {
    const dirent* entry = readdir(Dir(m_handle));
    if (entry == nullptr) {
        return false;
    }
    m_ahead = Entry{entry->d_name, AttributesOf(*entry, m_folder)};
    return true;
}

void CFileFind::CloseListing() {
    closedir(Dir(m_handle));
}

bool GetDirectoryId(const std::string& path, DirectoryId& id) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return false;
    }
    id = DirectoryId{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
    return true;
}
