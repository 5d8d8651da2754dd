// Directory listing on POSIX, through the walk's stack of listed folders.
// An entry's attributes are those the walk needs: directory, link (never
// followed), and hidden for a name beginning with ".".
#include <cerrno>
#include <cstring>

#include "fileio/fault_injection.h"
#include "platform/posix/listed_folder.h"
#include "platform/posix/os_error_posix.h"
#include "scan/file_find.h"

const int kNameTooLongError = ENAMETOOLONG;

namespace {

ListedFolder* Folder(std::intptr_t handle) {
    return reinterpret_cast<ListedFolder*>(handle);
}

}  // namespace

bool CFileFind::OpenListing(const std::string& pattern) {
    m_folder = pattern.substr(0, pattern.find_last_of('/'));
    if (m_folder.empty()) {
        m_folder = "/";
    }
    ListedFolder* folder =
        InjectedFailure(FileCall::ListDirectory) ? nullptr : ListedFolder::Open(m_folder);
    if (folder == nullptr) {
        m_error = errno;
        return false;
    }
    m_handle = reinterpret_cast<std::intptr_t>(folder);
    if (!FetchAhead()) {
        ListedFolder::Close(folder);
        return false;
    }
    return true;
}

bool CFileFind::FetchAhead() {
    ListedEntry entry;
    if (!Folder(m_handle)->Next(entry)) {
        m_error = errno;
        return false;
    }
    m_ahead = Entry{std::move(entry.m_name), entry.m_attributes, entry.m_inode};
    return true;
}

void CFileFind::CloseListing() {
    ListedFolder::Close(Folder(m_handle));
}

bool CFileFind::GetFolderId(DirectoryId& id) const {
    if (!m_open) {
        return false;
    }
    id = Folder(m_handle)->Id();
    return true;
}

std::string ListingErrorText(int osError) {
    return osError == kFolderMovedError ? "it was moved while the walk was inside it"
                                        : std::strerror(osError);
}
