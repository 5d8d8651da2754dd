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

// Gathers lines into chunks of about kChunkSize. A longer line is written
// as it is: copying it into the chunk would hold it twice in memory.
class ChunkedWriter {
public:
    explicit ChunkedWriter(FileReplacement& file) : m_file(file) { m_chunk.reserve(kChunkSize); }

    void Add(const Line& line) {
        if (line.size() >= kChunkSize) {
            Flush();
            m_file.Write(line.data(), line.size());
        } else {
            m_chunk.append(line);
        }
        m_chunk.push_back('\n');
        if (m_chunk.size() >= kChunkSize) {
            Flush();
        }
    }

    void Flush() {
        if (!m_chunk.empty()) {
            m_file.Write(m_chunk.data(), m_chunk.size());
            m_chunk.clear();
        }
    }

private:
    FileReplacement& m_file;
    std::string m_chunk;
};

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
    ChunkedWriter writer(file);
    for (const Line& line : lines) {
        writer.Add(line);
    }
    writer.Flush();
    file.Commit();
}
