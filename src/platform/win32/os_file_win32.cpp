#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "core/code_page.h"
#include "fileio/os_file.h"
#include "fileio/replacement_calls.h"
#include "fileio/temporary_name.h"
#include "fileio/write_all.h"
#include "platform/win32/os_error_win32.h"

const int32_t kNameTakenError = ERROR_FILE_EXISTS;
const bool kReadingKeepsOthersOut = true;

namespace {

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}
std::intptr_t FromHandle(HANDLE handle) {
    return reinterpret_cast<std::intptr_t>(handle);
}

// ReadFile and WriteFile take at most a DWORD's worth of bytes per call.
DWORD ChunkSize(std::size_t size) {
    return static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
}

// The temporary file of a file whose full path is as long as MAX_PATH
// allows has a longer path than that when the file's name is short. Only
// the wide calls go past MAX_PATH, with an absolute path marked "\\?\";
// so the rewrite's own calls take that form.
std::wstring LongPathOf(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 1)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(std::max<DWORD>(needed, 1), L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr));
    if (full.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

// Reading moves a file's last-access time where the volume keeps one; a time
// of all ones set on the handle asks the system to leave it as it is. That
// needs the right to write attributes, which a read-only medium refuses:
// there the file is read all the same.
HANDLE OpenKeepingLastAccess(const std::string& path) {
    const HANDLE keeping = CreateFileA(path.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, 0,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (keeping != INVALID_HANDLE_VALUE) {
        const FILETIME leaveAsItIs = {0xFFFFFFFF, 0xFFFFFFFF};
        SetFileTime(keeping, nullptr, &leaveAsItIs, nullptr);
        return keeping;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_ACCESS_DENIED && error != ERROR_WRITE_PROTECT) {
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

}  // namespace

ReadOnlyFile::~ReadOnlyFile() {
    if (m_handle != kNoFile) {
        CloseHandle(AsHandle(m_handle));
    }
}

bool ReadOnlyFile::Open(const std::string& path) {
    if (InjectedFailure(FileCall::OpenRead)) {
        return false;
    }
    m_handle = FromHandle(OpenKeepingLastAccess(path));
    return m_handle != kNoFile;
}

std::size_t ReadOnlyFile::Read(char* buffer, std::size_t size) {
    if (m_atEnd) {
        return 0;
    }
    const DWORD wanted = ChunkSize(size);
    DWORD read = 0;
    if (InjectedFailure(FileCall::Read) ||
        !ReadFile(AsHandle(m_handle), buffer, wanted, &read, nullptr)) {
        throw FileErrorFromOs(GetLastError());
    }
    m_atEnd = read < wanted;
    return read;
}

void ReadOnlyFile::Rewind() {
    if (InjectedFailure(FileCall::Read) ||
        SetFilePointer(AsHandle(m_handle), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        throw FileErrorFromOs(GetLastError());
    }
    m_atEnd = false;
}

void ReadOnlyFile::Close() {
    // The handle is gone even when closing fails; an injected failure closes
    // it too, so that tests leave no file held open.
    const BOOL closed = CloseHandle(AsHandle(std::exchange(m_handle, kNoFile)));
    if (InjectedFailure(FileCall::CloseRead) || !closed) {
        throw FileErrorFromOs(GetLastError());
    }
}

// Windows symbolic links are out of scope, so a link would be replaced by a
// plain file.
ReplacedFile FindReplacedFile(const std::string& path) {
    return ReplacedFile{path};
}

std::string FolderPartOf(const std::string& path) {
    return path.substr(0, SystemCodePage().FindLastOf(path, "\\/") + 1);
}

unsigned long CurrentProcess() {
    return GetCurrentProcessId();
}

std::intptr_t CreateNewFile(const std::string& path, const std::string& name) {
    const HANDLE file = InjectedFailure(FileCall::CreateTemporary)
                            ? INVALID_HANDLE_VALUE
                            : CreateFileW(LongPathOf(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw FileErrorFromOs(GetLastError(), name);
    }
    return FromHandle(file);
}

// The new file takes the folder's security, as any file created there.
void KeepOwnerAndMode(std::intptr_t, const ReplacedFile&, const std::string&) {}

std::size_t WriteSome(std::intptr_t file, const char* data, std::size_t size,
                      const std::string& name) {
    DWORD written = 0;
    if (InjectedFailure(FileCall::Write) ||
        !WriteFile(AsHandle(file), data, ChunkSize(size), &written, nullptr)) {
        throw FileErrorFromOs(GetLastError(), name);
    }
    return written;
}

void FlushToDisk(std::intptr_t file, const std::string& name) {
    if (InjectedFailure(FileCall::Flush) || !FlushFileBuffers(AsHandle(file))) {
        throw FileErrorFromOs(GetLastError(), name);
    }
}

void CloseFile(std::intptr_t file, const std::string& name) {
    if (!CloseHandle(AsHandle(file))) {
        throw FileErrorFromOs(GetLastError(), name);
    }
}

// MoveFileEx rather than ReplaceFile, which fails on relative paths under
// Wine; written through, so that the move is durable when it returns.
void MoveOver(const std::string& from, const std::string& to, const std::string& name) {
    if (InjectedFailure(FileCall::Replace) ||
        !MoveFileExW(LongPathOf(from).c_str(), LongPathOf(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw FileErrorFromOs(GetLastError(), name);
    }
}

void CloseQuietly(std::intptr_t file) noexcept {
    CloseHandle(AsHandle(file));
}

void DeleteQuietly(const std::string& path) noexcept {
    DeleteFileW(LongPathOf(path).c_str());
}
