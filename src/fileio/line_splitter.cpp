#include "fileio/line_splitter.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// The next occurrence of one byte, remembered so that a piece is searched
// for each byte once rather than once per line.
class ByteFinder {
public:
    ByteFinder(char byte, const char* end) : m_byte(byte), m_end(end) {}

    const char* NextFrom(const char* pos) {
        if (m_found == nullptr || m_found < pos) {
            const void* hit = std::memchr(pos, m_byte, static_cast<std::size_t>(m_end - pos));
            m_found = hit != nullptr ? static_cast<const char*>(hit) : m_end;
        }
        return m_found;
    }

private:
    char m_byte;
    const char* m_end;
    const char* m_found = nullptr;
};

}  // namespace

void LineSplitter::Feed(const char* data, std::size_t size, LineList& lines) {
    const char* pos = data;
    const char* const end = data + size;
    if (m_afterCr && pos < end) {
        m_afterCr = false;
        EndLine({}, lines);
        pos += *pos == '\n' ? 1 : 0;
    }
    ByteFinder lf('\n', end);
    ByteFinder cr('\r', end);
    while (pos < end) {
        const char* const brk = std::min(lf.NextFrom(pos), cr.NextFrom(pos));
        if (brk == end || (*brk == '\r' && brk + 1 == end)) {
            // The line goes on in the next piece, or a CR there decides.
            m_line.append(pos, brk);
            m_afterCr = brk != end;
            return;
        }
        EndLine(std::string_view(pos, static_cast<std::size_t>(brk - pos)), lines);
        pos = brk + (*brk == '\r' && brk[1] == '\n' ? 2 : 1);
    }
}

void LineSplitter::Finish(LineList& lines) {
    m_afterCr = false;
    if (!m_line.empty()) {
        EndLine({}, lines);
    }
}

// A line that lies whole in one piece is stored straight from it.
void LineSplitter::EndLine(std::string_view tail, LineList& lines) {
    if (m_line.empty()) {
        lines.push_back(tail);
        return;
    }
    m_line.append(tail);
    lines.TakeOver(std::move(m_line));
    m_line.clear();
}
