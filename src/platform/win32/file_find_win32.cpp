#include <windows.h>

#include "fileio/fault_injection.h"
#include "platform/win32/os_error_win32.h"
#include "scan/file_find.h"

const char kPathSeparator = '\\';

namespace {

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

bool CFileFind::OpenListing(const std::string& pattern) {
    WIN32_FIND_DATAA data{};
    const HANDLE handle = InjectedFailure(FileCall::ListDirectory)
                              ? INVALID_HANDLE_VALUE
                              : FindFirstFileA(pattern.c_str(), &data);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    m_handle = reinterpret_cast<std::intptr_t>(handle);
    m_ahead = Entry{data.cFileName, data.dwFileAttributes};
    return true;
}

bool CFileFind::FetchAhead() {
    WIN32_FIND_DATAA data{};
    if (!::FindNextFileA(Handle(m_handle), &data)) {
        return false;
    }
    m_ahead = Entry{data.cFileName, data.dwFileAttributes};
    return true;
}

void CFileFind::CloseListing() {
    FindClose(Handle(m_handle));
}

bool GetDirectoryId(const std::string& path, DirectoryId& id) {
    // Backup semantics let a directory be opened; no access is asked for.
    const HANDLE handle =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    id = DirectoryId{info.dwVolumeSerialNumber,
                     (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return known;
}
