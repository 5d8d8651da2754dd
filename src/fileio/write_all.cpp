#include "fileio/write_all.h"

#include "fileio/file_exception.h"

void WriteAll(std::intptr_t file, const char* data, std::size_t size, const std::string& name) {
    while (size > 0) {
        const std::size_t written = WriteSome(file, data, size, name);
        if (written == 0) {
            throw CFileException(CFileException::kShortWrite, name);
        }
        data += written;
        size -= written;
    }
}
