#include "cli/progress_line.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::chrono::milliseconds kRefreshInterval(100);
constexpr char kEllipsis[] = "...";

bool IsUtf8Continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

std::size_t CharacterStartFrom(const std::string& text, std::size_t offset,
                               const CodePage& codePage) {
    if (!codePage.IsDoubleByte()) {
        while (offset < text.size() && IsUtf8Continuation(text[offset])) {
            ++offset;
        }
        return offset;
    }
    std::size_t start = 0;
    while (start < offset) {
        start += codePage.IsLeadByte(static_cast<unsigned char>(text[start])) ? 2 : 1;
    }
    return std::min(start, text.size());
}

// A name may hold any byte but the separator; a line break or an escape
// sequence in one must not move the cursor or reach the terminal.
std::string Printable(std::string text) {
    std::replace_if(
        text.begin(), text.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, '?');
    return text;
}

int64_t FilesPerSecond(int32_t files, std::chrono::steady_clock::duration elapsed) {
    const int64_t milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    return milliseconds > 0 ? int64_t{files} * 1000 / milliseconds : 0;
}

}  // namespace

std::string TailThatFits(const std::string& text, std::size_t size, const CodePage& codePage) {
    if (text.size() <= size) {
        return text;
    }
    const std::size_t ellipsis = sizeof kEllipsis - 1;
    if (size < ellipsis) {
        return std::string();
    }
    const std::size_t from = CharacterStartFrom(text, text.size() - (size - ellipsis), codePage);
    return kEllipsis + text.substr(from);
}

ProgressLine::ProgressLine(std::ostream& terminal, int columns, const CodePage& codePage, Clock now)
    : m_terminal(terminal),
      m_width(columns > 1 ? static_cast<std::size_t>(columns) - 1 : 0),
      m_codePage(codePage),
      m_now(std::move(now)),
      m_start(m_now()) {}

void ProgressLine::Show(const ScanTotals& totals, const std::string& folder) {
    const std::chrono::steady_clock::time_point now = m_now();
    if (!m_refreshed || now - *m_refreshed >= kRefreshInterval) {
        m_text = Text(totals, folder, now);
        m_refreshed = now;
        Draw();
    } else if (m_drawn == 0) {
        Draw();
    }
}

void ProgressLine::Hide() {
    if (m_drawn == 0) {
        return;
    }
    m_terminal << '\r' << std::string(m_drawn, ' ') << '\r';
    m_terminal.flush();
    m_drawn = 0;
}

std::string ProgressLine::Text(const ScanTotals& totals, const std::string& folder,
                               std::chrono::steady_clock::time_point now) const {
    const std::string figures =
        std::to_string(totals.m_nChecked) + " examined, " + std::to_string(totals.m_nTreated) +
        " infected, " + std::to_string(totals.m_nProblemFiles) + " problems, " +
        std::to_string(FilesPerSecond(totals.m_nChecked, now - m_start)) + " files/s";
    const std::string separator = "  ";
    if (figures.size() + separator.size() >= m_width) {
        return figures.substr(0, m_width);
    }
    const std::size_t room = m_width - figures.size() - separator.size();
    return figures + separator + Printable(TailThatFits(folder, room, m_codePage));
}

// Spaces cover whatever a longer text drawn before left on the line.
void ProgressLine::Draw() {
    const std::size_t cover = m_drawn > m_text.size() ? m_drawn - m_text.size() : 0;
    m_terminal << '\r' << m_text << std::string(cover, ' ');
    m_terminal.flush();
    m_drawn = m_text.size() + cover;
}
