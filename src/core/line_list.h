#pragma once

#include <cstddef>
#include <deque>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

// A line is one line of a text file without its line break. It carries its
// own length, so a NUL byte is an ordinary byte of the line. It views bytes
// that its list holds; losing text at its start is the one change it takes.
using Line = std::string_view;

// One file held in memory, line by line, in file order. The lines' bytes lie
// one after another in a few large blocks and each line is a view of them,
// so a file costs little more than its own size, whatever its number of
// lines. A removed line leaves a gap that iteration steps over; removing
// keeps every other line where it is, as in a linked list.
class LineList {
public:
    template <typename Item>
    class Iterator;
    using value_type = Line;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using reference = Line&;
    using const_reference = const Line&;
    using iterator = Iterator<Line>;
    using const_iterator = Iterator<const Line>;

    LineList() = default;
    LineList(std::initializer_list<std::string_view> lines);
    template <typename Input>
    LineList(Input first, Input last) {
        for (; first != last; ++first) {
            push_back(*first);
        }
    }
    // A copy holds bytes of its own: no line may view another list's bytes.
    LineList(const LineList& other);
    LineList& operator=(const LineList& other);
    LineList(LineList&& other) noexcept;
    LineList& operator=(LineList&& other) noexcept;

    void push_back(std::string_view line);  // the bytes are copied
    // Adds the line, taking over a long line's bytes rather than copying
    // them, so a line of a gigabyte is never held twice. A short line is
    // copied and keeps its buffer.
    void TakeOver(std::string&& line);
    iterator erase(iterator line);  // the line after it, or end()

    iterator begin() { return {m_index.data() + m_first, End()}; }
    iterator end() { return {End(), End()}; }
    const_iterator begin() const { return {m_index.data() + m_first, End()}; }
    const_iterator end() const { return {End(), End()}; }
    bool empty() const { return m_count == 0; }
    std::size_t size() const { return m_count; }

    friend bool operator==(const LineList& a, const LineList& b);
    friend bool operator!=(const LineList& a, const LineList& b) { return !(a == b); }

private:
    static bool IsGap(const Line& line) { return line.data() == nullptr; }
    Line* End() { return m_index.data() + m_index.size(); }
    const Line* End() const { return m_index.data() + m_index.size(); }
    Line Store(std::string_view bytes);
    void Add(Line stored);

    std::vector<Line> m_index;  // every line ever added, gaps included
    std::size_t m_first = 0;    // where the first line that is not a gap is
    std::size_t m_count = 0;    // lines that are not gaps
    // A deque never moves its blocks, and a block is only appended to within
    // its capacity, so the bytes a line views never move either.
    std::deque<std::string> m_blocks;
    std::string* m_filling = nullptr;  // the block short lines go to

public:
    template <typename Item>
    class Iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = Line;
        using difference_type = std::ptrdiff_t;
        using pointer = Item*;
        using reference = Item&;

        Iterator() = default;
        Iterator(Item* at, Item* end) : m_at(at), m_end(end) {}
        operator Iterator<const Line>() const { return {m_at, m_end}; }

        reference operator*() const { return *m_at; }
        pointer operator->() const { return m_at; }
        Iterator& operator++() {
            do {
                ++m_at;
            } while (m_at != m_end && IsGap(*m_at));
            return *this;
        }
        Iterator& operator--() {
            do {
                --m_at;
            } while (IsGap(*m_at));
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        Iterator operator--(int) {
            Iterator before = *this;
            --*this;
            return before;
        }
        bool operator==(const Iterator& other) const { return m_at == other.m_at; }
        bool operator!=(const Iterator& other) const { return m_at != other.m_at; }

    private:
        friend class LineList;
        Item* m_at = nullptr;
        Item* m_end = nullptr;
    };
};
