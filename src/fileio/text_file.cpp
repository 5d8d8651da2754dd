#include "fileio/text_file.h"

#include <memory>
#include <new>

#include "fileio/file_exception.h"
#include "fileio/line_splitter.h"
#include "fileio/os_file.h"

namespace {

// Few large reads and writes: most of a scan's time is spent in them.
constexpr std::size_t kChunkSize = 64 * 1024;

void ReadAllLines(ReadOnlyFile& file, LineList& lines) {
    const std::unique_ptr<char[]> buffer(new char[kChunkSize]);
    LineSplitter splitter;
    while (const std::size_t size = file.Read(buffer.get(), kChunkSize)) {
        splitter.Feed(buffer.get(), size, lines);
    }
    splitter.Finish(lines);
}

}  // namespace

bool ReadLines(const std::string& path, LineList& lines) {
    ReadOnlyFile file;
    if (!file.Open(path)) {
        return false;
    }
    try {
        ReadAllLines(file, lines);
    } catch (const std::bad_alloc&) {
        throw CMemoryException();
    }
    file.Close();
    return true;
}

void WriteLines(const std::string& path, const LineList& lines) {
    FileReplacement file(path);
    std::string chunk;
    chunk.reserve(kChunkSize);
    for (const Line& line : lines) {
        chunk.append(line).push_back('\n');
        if (chunk.size() >= kChunkSize) {
            file.Write(chunk.data(), chunk.size());
            chunk.clear();
        }
    }
    if (!chunk.empty()) {
        file.Write(chunk.data(), chunk.size());
    }
    file.Commit();
}
