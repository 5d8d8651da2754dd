#include "cli/progress_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "core/log_text.h"
#include "support/terminal_screen.h"

namespace {

class ProgressLineTest : public ::testing::Test {
protected:
    ProgressLine MakeLine(int columns, const CodePage& codePage = CodePage::SingleByte()) {
        return ProgressLine(m_terminal, columns, codePage, [this] { return m_now; });
    }

    std::vector<std::string> Screen() const {
        TerminalScreen screen;
        screen.Receive(m_terminal.str());
        return screen.Lines();
    }

    std::ostringstream m_terminal;
    std::chrono::steady_clock::time_point m_now{};
};

// One line against a clock the test moves on: figures refreshed at most ten
// times a second; a hidden line leaves the log alone and comes back as it
// was until the next refresh; a shorter refresh leaves nothing of a longer
// line; hidden at the end, it leaves nothing at all.
TEST_F(ProgressLineTest, RefreshesAtMostTenTimesASecondAndHidesWithoutATrace) {
    const std::string first = "0 examined, 0 infected, 1 problems, 0 files/s  /srv/www/long";
    const std::string second = "5 examined, 2 infected, 1 problems, 50 files/s  /srv/www/a";
    const struct {
        int m_ms;           // since the step before
        const char* m_log;  // written with the line hidden first, or nullptr
        int32_t m_checked;  // the figures shown, none when negative
        const char* m_folder;
        std::vector<std::string> m_screen;
    } kSteps[] = {
        {0, nullptr, 0, "/srv/www/long", {first}},
        {99, nullptr, 3, "/srv/www/x", {first}},
        {1, nullptr, 5, "/srv/www/a", {second}},
        {10, "/a/index.htm", 6, "/b", {"/a/index.htm", second}},
        {90,
         LogText::kRemoveOk,
         8,
         "/b",
         {"/a/index.htm", LogText::kRemoveOk,
          "8 examined, 4 infected, 1 problems, 40 files/s  /b"}},
        {0, "end", -1, "", {"/a/index.htm", LogText::kRemoveOk, "end"}},
    };
    ProgressLine line = MakeLine(80);
    for (const auto& step : kSteps) {
        m_now += std::chrono::milliseconds(step.m_ms);
        if (step.m_log != nullptr) {
            line.Hide();
            m_terminal << step.m_log << "\n";
        }
        if (step.m_checked >= 0) {
            line.Show({step.m_checked, step.m_checked / 2, 0, 1}, step.m_folder);
        }
        EXPECT_EQ(Screen(), step.m_screen) << step.m_ms << " ms later";
    }
}

// One refresh: the line never reaches the last column, cutting the folder
// from its start and then the figures, and shows control bytes of a name as
// question marks.
TEST_F(ProgressLineTest, LineFitsTheTerminalAndShowsNoControlByte) {
    const struct {
        int m_columns;
        std::string m_folder;
        const char* m_shown;
    } kCases[] = {{60, "/srv/www/" + std::string(100, 'x') + "/end",
                   "12 examined, 0 infected, 0 problems, 0 files/s  ...xxxx/end"},
                  {20, "/srv/www", "12 examined, 0 infe"},
                  {80, "/srv/a\nb\rc\x1b[2J\x7f",
                   "12 examined, 0 infected, 0 problems, 0 files/s  /srv/a?b?c?[2J?"}};
    for (const auto& c : kCases) {
        m_terminal.str("");
        MakeLine(c.m_columns).Show({12}, c.m_folder);
        EXPECT_THAT(Screen(), ::testing::ElementsAre(c.m_shown)) << c.m_columns << " columns";
    }
}

// The whole text when it fits; else its tail after "...", never cutting a
// character: in UTF-8, or in a double-byte code page whose trail bytes look
// like ASCII letters.
TEST(TailThatFits, KeepsWholeCharacters) {
    const CodePage shiftJis = CodePage::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}});
    const struct {
        const char* m_text;
        std::size_t m_columns;
        const CodePage& m_codePage;
        const char* m_tail;
    } kCases[] = {{"/srv/www", 8, CodePage::SingleByte(), "/srv/www"},
                  {"/srv/www", 7, CodePage::SingleByte(), ".../www"},
                  {"/srv/www", 2, CodePage::SingleByte(), ""},
                  {"/d/\xC3\xA9\xC3\xA8", 6, CodePage::SingleByte(), "...\xC3\xA8"},
                  {"/\x82\x61\x82\x62\x82\x63", 6, shiftJis, "...\x82\x63"},
                  {"//\x82\x61\x82\x62\x82\x63", 7, shiftJis, "...\x82\x62\x82\x63"}};
    for (const auto& c : kCases) {
        EXPECT_EQ(TailThatFits(c.m_text, c.m_columns, c.m_codePage), c.m_tail) << c.m_columns;
    }
}

}  // namespace
