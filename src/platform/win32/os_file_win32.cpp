#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>

#include "core/code_page.h"
#include "fileio/full_path.h"
#include "fileio/os_file.h"
#include "platform/win32/os_error_win32.h"

namespace {

constexpr std::intptr_t kNoHandle = -1;  // INVALID_HANDLE_VALUE
// A temporary name may be taken by a file that an earlier process with the
// same id left behind; so many names are tried before giving up.
constexpr int kTemporaryNameAttempts = 8;

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

// Beside the target, under a short name of its own.
std::string TemporaryName(const std::string& target) {
    static std::atomic<unsigned> count{0};
    return target.substr(0, SystemCodePage().FindLastOf(target, "\\/") + 1) +
           TemporaryFileName(GetCurrentProcessId(), ++count);
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

// False, with the last error set, when a write fails; a short write, a
// full disk, raises at once.
bool WriteAll(HANDLE file, const char* data, std::size_t size, const std::string& name) {
    while (size > 0) {
        const DWORD chunk = ChunkSize(size);
        DWORD written = 0;
        if (InjectedFailure(FileCall::Write) || !WriteFile(file, data, chunk, &written, nullptr)) {
            return false;
        }
        if (written != chunk) {
            throw CFileException(CFileException::diskFull, CFileException::kShortWrite,
                                 FullPathOf(name));
        }
        data += chunk;
        size -= chunk;
    }
    return true;
}

HANDLE CreateTemporary(const std::string& name) {
    if (InjectedFailure(FileCall::CreateTemporary)) {
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(LongPathOf(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
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
    if (m_handle != kNoHandle) {
        CloseHandle(AsHandle(m_handle));
    }
}

bool ReadOnlyFile::Open(const std::string& path) {
    if (InjectedFailure(FileCall::OpenRead)) {
        return false;
    }
    m_handle = FromHandle(OpenKeepingLastAccess(path));
    return m_handle != kNoHandle;
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
    const BOOL closed = CloseHandle(AsHandle(std::exchange(m_handle, kNoHandle)));
    if (InjectedFailure(FileCall::CloseRead) || !closed) {
        throw FileErrorFromOs(GetLastError());
    }
}

// The target is the path as given: Windows symbolic links are out of scope,
// so a link would be replaced by a plain file.
FileReplacement::FileReplacement(const std::string& path) : m_target(path) {
    for (int attempt = 1;; ++attempt) {
        m_temporary = TemporaryName(m_target);
        m_handle = FromHandle(CreateTemporary(m_temporary));
        if (m_handle != kNoHandle) {
            return;
        }
        if (GetLastError() != ERROR_FILE_EXISTS || attempt == kTemporaryNameAttempts) {
            m_temporary.clear();  // not ours: it must not be deleted
            Abandon();
        }
    }
}

FileReplacement::~FileReplacement() {
    Discard();
}

void FileReplacement::Write(const char* data, std::size_t size) {
    if (!WriteAll(AsHandle(m_handle), data, size, m_target)) {
        Abandon();
    }
}

void FileReplacement::Commit() {
    // MoveFileEx rather than ReplaceFile, which fails on relative paths
    // under Wine.
    if (InjectedFailure(FileCall::Flush) || !FlushFileBuffers(AsHandle(m_handle))) {
        Abandon();
    }
    if (!CloseHandle(AsHandle(std::exchange(m_handle, kNoHandle)))) {
        Abandon();
    }
    if (InjectedFailure(FileCall::Replace) ||
        !MoveFileExW(LongPathOf(m_temporary).c_str(), LongPathOf(m_target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Abandon();
    }
    // The temporary file has become the target; nothing is left to discard.
    m_temporary.clear();
}

// Write failures name the file being replaced. The error is read before
// discarding or forming the name can change it.
void FileReplacement::Abandon() {
    const DWORD error = GetLastError();
    Discard();
    throw FileErrorFromOs(error, FullPathOf(m_target));
}

void FileReplacement::Discard() noexcept {
    if (m_handle != kNoHandle) {
        CloseHandle(AsHandle(std::exchange(m_handle, kNoHandle)));
    }
    if (!m_temporary.empty()) {
        DeleteFileW(LongPathOf(m_temporary).c_str());
        m_temporary.clear();
    }
}
