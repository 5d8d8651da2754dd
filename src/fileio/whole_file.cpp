#include "fileio/whole_file.h"

#include <filesystem>
#include <fstream>
#include <memory>

#include "fileio/file_exception.h"
#include "fileio/os_file.h"

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

CFileException CannotOpen(const std::string& path) {
    return CFileException(CFileException::fileNotFound, 0, path);
}

// The replacement needs a file to replace, and a read-only one cannot be
// replaced on Windows: the path is made an existing, writable file.
void PrepareTarget(const std::string& path) {
    FileStatus current;
    if (GetFileStatus(path, current)) {
        current.m_attributes &= static_cast<uint8_t>(~(kAttrReadOnly | kAttrHidden | kAttrSystem));
        SetFileStatus(path, current);
        return;
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    if (!std::ofstream(path, std::ios::binary | std::ios::app)) {
        throw CannotOpen(path);
    }
}

}  // namespace

std::string ReadAllBytes(const std::string& path) {
    ReadOnlyFile file;
    if (!file.Open(path)) {
        throw CannotOpen(path);
    }
    std::string bytes;
    const std::unique_ptr<char[]> buffer(new char[kChunkSize]);
    while (const std::size_t size = file.Read(buffer.get(), kChunkSize)) {
        bytes.append(buffer.get(), size);
    }
    file.Close();
    return bytes;
}

void WriteAllBytes(const std::string& path, const std::string& bytes, const FileStatus& status) {
    PrepareTarget(path);
    FileReplacement file(path);
    file.Write(bytes.data(), bytes.size());
    file.Commit();
    SetFileStatus(path, status);
}
