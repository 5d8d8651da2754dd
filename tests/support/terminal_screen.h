#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

// What a terminal shows after it received some bytes: a carriage return
// takes the cursor to the start of its line, a line feed down to the next
// one, and any other byte takes the place under the cursor and moves it on.
class TerminalScreen {
public:
    void Receive(const std::string& bytes) {
        for (const char byte : bytes) {
            if (byte == '\r') {
                m_column = 0;
            } else if (byte == '\n') {
                m_lines.emplace_back();
                m_column = 0;
            } else {
                std::string& line = m_lines.back();
                if (line.size() <= m_column) {
                    line.resize(m_column + 1, ' ');
                }
                line[m_column++] = byte;
                m_widest = std::max(m_widest, line.size());
            }
        }
    }

    // The lines shown, without the spaces at their ends and without the
    // empty lines below the last text.
    std::vector<std::string> Lines() const {
        std::vector<std::string> shown;
        for (std::string line : m_lines) {
            line.erase(line.find_last_not_of(' ') + 1);
            shown.push_back(line);
        }
        while (!shown.empty() && shown.back().empty()) {
            shown.pop_back();
        }
        return shown;
    }

    // The most columns any line ever took, spaces included.
    std::size_t WidestLine() const { return m_widest; }

private:
    std::vector<std::string> m_lines{std::string()};
    std::size_t m_column = 0;
    std::size_t m_widest = 0;
};
