#include "fileio/text_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

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

// Whether the rest of the file holds a text that is not empty, a match
// across two chunks included. Stops reading at the first match.
bool Holds(ReadOnlyFile& file, const std::string& text) {
    const std::size_t carry = text.size() - 1;
    const std::unique_ptr<char[]> buffer(new char[carry + kChunkSize]);
    std::size_t kept = 0;  // the last bytes of the chunk before, where a match may begin
    while (const std::size_t size = file.Read(buffer.get() + kept, kChunkSize)) {
        const std::string_view bytes(buffer.get(), kept + size);
        if (bytes.find(text) != std::string_view::npos) {
            return true;
        }
        kept = std::min(carry, bytes.size());
        std::memmove(buffer.get(), bytes.data() + bytes.size() - kept, kept);
    }
    return false;
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

// Runs read on the file opened for reading, then closes it; false when the
// file cannot be opened.
template <typename Read>
bool ReadThrough(const std::string& path, const Read& read) {
    ReadOnlyFile file;
    if (!file.Open(path)) {
        return false;
    }
    try {
        read(file);
    } catch (const std::bad_alloc&) {
        throw CMemoryException();
    }
    file.Close();
    return true;
}

}  // namespace

bool ReadLines(const std::string& path, LineList& lines, const std::string& holding) {
    return ReadThrough(path, [&](ReadOnlyFile& file) {
        if (holding.empty()) {
            ReadAllLines(file, lines);
        } else if (Holds(file, holding)) {
            file.Rewind();
            ReadAllLines(file, lines);
        }
    });
}

std::optional<bool> SearchFile(const std::string& path, const std::string& text) {
    bool holds = false;
    if (!ReadThrough(path, [&](ReadOnlyFile& file) { holds = Holds(file, text); })) {
        return std::nullopt;
    }
    return holds;
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
