#include <windows.h>

#include "core/code_page.h"
#include "fileio/fault_injection.h"
#include "platform/win32/os_error_win32.h"
#include "scan/file_find.h"

const int kNameTooLongError = ERROR_FILENAME_EXCED_RANGE;

namespace {

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// A symbolic link or a junction (mount point) leads elsewhere and is never
// followed; any other reparse point (a deduplicated file, a cloud
// placeholder) is the file itself.
uint32_t AttributesOf(const WIN32_FIND_DATAA& data) {
    const bool reparse = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool link = reparse && (data.dwReserved0 == IO_REPARSE_TAG_SYMLINK ||
                                  data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
    return (data.dwFileAttributes & ~kFindLink) | (link ? kFindLink : 0);
}

// An empty drive root has no entry at all, and a drive without a medium
// nothing to scan: neither is a failure to list.
int ListingError(DWORD error) {
    const bool nothingToList =
        error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES || error == ERROR_NOT_READY;
    return nothingToList ? 0 : static_cast<int>(error);
}

}  // namespace

bool CFileFind::OpenListing(const std::string& pattern) {
    // A drive's root keeps its separator: "C:" alone names the drive's
    // current folder.
    const std::size_t separator = SystemCodePage().FindLastOf(pattern, kPathSeparators);
    const bool driveRoot = separator > 0 && pattern[separator - 1] == ':';
    m_folder = pattern.substr(0, driveRoot ? separator + 1 : separator);
    WIN32_FIND_DATAA data{};
    const HANDLE handle = InjectedFailure(FileCall::ListDirectory)
                              ? INVALID_HANDLE_VALUE
                              : FindFirstFileA(pattern.c_str(), &data);
    if (handle == INVALID_HANDLE_VALUE) {
        m_error = ListingError(GetLastError());
        return false;
    }
    m_handle = reinterpret_cast<std::intptr_t>(handle);
    m_ahead = Entry{data.cFileName, AttributesOf(data), 0};
    return true;
}

bool CFileFind::FetchAhead() {
    WIN32_FIND_DATAA data{};
    if (!::FindNextFileA(Handle(m_handle), &data)) {
        m_error = ListingError(GetLastError());
        return false;
    }
    m_ahead = Entry{data.cFileName, AttributesOf(data), 0};
    return true;
}

void CFileFind::CloseListing() {
    FindClose(Handle(m_handle));
}

bool CFileFind::GetFolderId(DirectoryId& id) const {
    // Backup semantics let a directory be opened; no access is asked for.
    const HANDLE handle =
        CreateFileA(m_folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    id =
        DirectoryId{info.dwVolumeSerialNumber,
                    (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow, false};
    return known;
}

std::string ListingErrorText(int osError) {
    char text[256] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(osError), 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == '.' || message.back() == ' ')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(osError) : message;
}
