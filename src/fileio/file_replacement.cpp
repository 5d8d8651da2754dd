// The steps of a rewrite, the same on every platform; the backend gives the
// system calls (fileio/replacement_calls.h).
#include <utility>

#include "fileio/file_exception.h"
#include "fileio/full_path.h"
#include "fileio/os_file.h"
#include "fileio/replacement_calls.h"
#include "fileio/temporary_name.h"
#include "fileio/write_all.h"

// Failures of the rewrite name the file replaced by its full path.
FileReplacement::FileReplacement(const std::string& path) {
    const ReplacedFile original = FindReplacedFile(path);
    m_target = original.m_path;
    m_name = FullPathOf(m_target);
    CreateTemporary();
    DiscardOnFailure([&] { KeepOwnerAndMode(m_handle, original, m_name); });
}

FileReplacement::~FileReplacement() {
    Discard();
}

void FileReplacement::Write(const char* data, std::size_t size) {
    DiscardOnFailure([&] { WriteAll(m_handle, data, size, m_name); });
}

void FileReplacement::Commit() {
    DiscardOnFailure([&] {
        FlushToDisk(m_handle, m_name);
        CloseFile(std::exchange(m_handle, kNoFile), m_name);
        MoveOver(m_temporary, m_target, m_name);
    });
    // The temporary file has become the target; nothing is left to discard.
    m_temporary.clear();
}

// Beside the target: a name built from the target's would be too long for
// a target whose name is as long as the system allows.
void FileReplacement::CreateTemporary() {
    m_handle = CreateUnderFreeName(
        FolderPartOf(m_target),
        [&](const std::string& path) { return CreateNewFile(path, m_name); }, m_temporary);
}

template <typename Step>
void FileReplacement::DiscardOnFailure(const Step& step) {
    try {
        step();
    } catch (const CFileException&) {
        Discard();
        throw;
    }
}

void FileReplacement::Discard() noexcept {
    if (m_handle != kNoFile) {
        CloseQuietly(std::exchange(m_handle, kNoFile));
    }
    if (!m_temporary.empty()) {
        DeleteQuietly(m_temporary);
        m_temporary.clear();
    }
}
