#include "core/line_list.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Big enough that a file of short lines needs few allocations; a line of a
// quarter of it or more gets a block of its own, so little room is wasted.
constexpr std::size_t kBlockSize = 64 * 1024;
constexpr std::size_t kOwnBlockSize = kBlockSize / 4;

// Where every empty line points: a gap is the only line without bytes.
const char kNoBytes[] = "";

}  // namespace

LineList::LineList(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines) {
        push_back(line);
    }
}

LineList::LineList(const LineList& other) : LineList(other.begin(), other.end()) {}

LineList& LineList::operator=(const LineList& other) {
    if (this != &other) {
        *this = LineList(other);
    }
    return *this;
}

LineList::LineList(LineList&& other) noexcept
    : m_index(std::move(other.m_index)),
      m_first(std::exchange(other.m_first, 0)),
      m_count(std::exchange(other.m_count, 0)),
      m_blocks(std::move(other.m_blocks)),
      m_filling(std::exchange(other.m_filling, nullptr)) {
    other.m_index.clear();
    other.m_blocks.clear();
}

LineList& LineList::operator=(LineList&& other) noexcept {
    LineList taken(std::move(other));
    std::swap(m_index, taken.m_index);
    std::swap(m_first, taken.m_first);
    std::swap(m_count, taken.m_count);
    std::swap(m_blocks, taken.m_blocks);
    std::swap(m_filling, taken.m_filling);
    return *this;
}

void LineList::push_back(std::string_view line) {
    Add(Store(line));
}

void LineList::TakeOver(std::string&& line) {
    if (line.size() < kOwnBlockSize) {
        push_back(std::string_view(line));
        return;
    }
    m_blocks.push_back(std::move(line));
    Add(m_blocks.back());
}

LineList::iterator LineList::erase(iterator line) {
    const iterator next = std::next(line);
    *line.m_at = Line();
    --m_count;
    if (line.m_at == m_index.data() + m_first) {
        m_first = static_cast<std::size_t>(next.m_at - m_index.data());
    }
    return next;
}

bool operator==(const LineList& a, const LineList& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

Line LineList::Store(std::string_view bytes) {
    if (bytes.empty()) {
        return Line(kNoBytes, 0);
    }
    if (bytes.size() >= kOwnBlockSize) {
        return m_blocks.emplace_back(bytes);
    }
    if (m_filling == nullptr || m_filling->capacity() - m_filling->size() < bytes.size()) {
        m_filling = &m_blocks.emplace_back();
        m_filling->reserve(kBlockSize);
    }
    const std::size_t start = m_filling->size();
    m_filling->append(bytes);
    return Line(m_filling->data() + start, bytes.size());
}

void LineList::Add(Line stored) {
    if (m_count == 0) {
        m_first = m_index.size();
    }
    m_index.push_back(stored);
    ++m_count;
}
