#pragma once

#include <cstddef>
#include <string>
#include <vector>

// What a terminal shows after it received some bytes: a carriage return
// takes the cursor to the start of its line, a line feed down to the next
// one, and any other byte takes the place under the cursor and moves it on.
class TerminalScreen {
public:
    void Receive(const std::string& bytes);

    // The lines shown, without the spaces at their ends and without the
    // empty lines below the last text.
    std::vector<std::string> Lines() const;
    // The most columns any line ever took, spaces included.
    std::size_t WidestLine() const { return m_widest; }

private:
    std::vector<std::string> m_lines{std::string()};
    std::size_t m_column = 0;
    std::size_t m_widest = 0;
};
