#include "fileio/whole_file.h"

#include <memory>

#include "fileio/file_exception.h"
#include "fileio/os_file.h"

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

CFileException CannotOpen(const std::string& path) {
    return CFileException(CFileException::kNoOsError, path);
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
