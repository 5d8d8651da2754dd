#include "support/terminal_screen.h"

#include <algorithm>

void TerminalScreen::Receive(const std::string& bytes) {
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

std::vector<std::string> TerminalScreen::Lines() const {
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
