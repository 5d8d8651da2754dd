#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>

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

std::string TemporaryName(const std::string& target) {
    static std::atomic<unsigned> count{0};
    return target + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(count++) +
           kTemporarySuffix;
}

HANDLE CreateTemporary(const std::string& name) {
    if (InjectedFailure(FileCall::CreateTemporary)) {
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// Write failures name the file being replaced. The error is read before
// forming the name can change it.
[[noreturn]] void RaiseForTarget(const std::string& target) {
    const DWORD error = GetLastError();
    throw FileErrorFromOs(error, FullPathOf(target));
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
    m_handle = FromHandle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_handle != kNoHandle;
}

std::size_t ReadOnlyFile::Read(char* buffer, std::size_t size) {
    DWORD read = 0;
    if (InjectedFailure(FileCall::Read) ||
        !ReadFile(AsHandle(m_handle), buffer, ChunkSize(size), &read, nullptr)) {
        throw FileErrorFromOs(GetLastError());
    }
    return read;
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
            RaiseForTarget(m_target);
        }
    }
}

FileReplacement::~FileReplacement() {
    Discard();
}

void FileReplacement::Write(const char* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = ChunkSize(size);
        DWORD written = 0;
        if (InjectedFailure(FileCall::Write) ||
            !WriteFile(AsHandle(m_handle), data, chunk, &written, nullptr)) {
            RaiseForTarget(m_target);
        }
        if (written != chunk) {
            throw CFileException(CFileException::diskFull, CFileException::kShortWrite,
                                 FullPathOf(m_target));
        }
        data += chunk;
        size -= chunk;
    }
}

void FileReplacement::Commit() {
    // MoveFileExA rather than ReplaceFileA, which fails on relative paths
    // under Wine.
    try {
        if (InjectedFailure(FileCall::Flush) || !FlushFileBuffers(AsHandle(m_handle))) {
            RaiseForTarget(m_target);
        }
        if (!CloseHandle(AsHandle(std::exchange(m_handle, kNoHandle)))) {
            RaiseForTarget(m_target);
        }
        if (InjectedFailure(FileCall::Replace) ||
            !MoveFileExA(m_temporary.c_str(), m_target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            RaiseForTarget(m_target);
        }
    } catch (...) {
        Discard();
        throw;
    }
    // The temporary file has become the target; nothing is left to discard.
    m_temporary.clear();
}

void FileReplacement::Discard() noexcept {
    if (m_handle != kNoHandle) {
        CloseHandle(AsHandle(std::exchange(m_handle, kNoHandle)));
    }
    if (!m_temporary.empty()) {
        DeleteFileA(m_temporary.c_str());
        m_temporary.clear();
    }
}
