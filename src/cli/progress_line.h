#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "core/code_page.h"
#include "scan/scan_stats.h"

// One status line on a terminal while a scan runs: the files examined,
// infected and with problems, files per second, and the folder being
// walked. Its figures are refreshed at most ten times a second. It never
// reaches the terminal's last column, so it never wraps and a carriage
// return always takes the cursor back to its start.
class ProgressLine {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    ProgressLine(std::ostream& terminal, int columns, const CodePage& codePage = SystemCodePage(),
                 Clock now = std::chrono::steady_clock::now);

    // Puts the line on the terminal: with the figures given when the last
    // refresh is a tenth of a second old, else as it was last refreshed.
    void Show(const ScanTotals& totals, const std::string& folder);
    // Takes it off, leaving the cursor at the start of the empty line.
    void Hide();

private:
    std::string Text(const ScanTotals& totals, const std::string& folder,
                     std::chrono::steady_clock::time_point now) const;
    void Draw();

    std::ostream& m_terminal;
    const std::size_t m_width;  // the most bytes the line may take
    const CodePage m_codePage;
    const Clock m_now;
    const std::chrono::steady_clock::time_point m_start;
    std::optional<std::chrono::steady_clock::time_point> m_refreshed;
    std::string m_text;       // as last refreshed
    std::size_t m_drawn = 0;  // bytes on the terminal's line now; 0 when hidden
};

// The end of text in at most size bytes, "..." and a tail that begins where
// a character begins: a double-byte character stays whole, and in a
// single-byte code page so does a UTF-8 sequence (a POSIX system's names).
std::string TailThatFits(const std::string& text, std::size_t size, const CodePage& codePage);
