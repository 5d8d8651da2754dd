#include "cli/progress_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "core/log_text.h"
#include "support/terminal_screen.h"

namespace {

using std::chrono::milliseconds;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

ScanTotals Totals(int32_t checked, int32_t treated = 0, std::size_t problems = 0) {
    ScanTotals totals;
    totals.m_nChecked = checked;
    totals.m_nTreated = treated;
    totals.m_nProblemFiles = problems;
    return totals;
}

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

TEST_F(ProgressLineTest, FiguresAreRefreshedAtMostTenTimesASecond) {
    ProgressLine line = MakeLine(80);
    line.Show(Totals(0), "/srv/www");
    EXPECT_THAT(Screen(), ElementsAre("0 examined, 0 infected, 0 problems, 0 files/s  /srv/www"));

    m_now += milliseconds(99);
    const std::size_t written = m_terminal.str().size();
    line.Show(Totals(3, 1, 1), "/srv/www/a");
    EXPECT_EQ(m_terminal.str().size(), written);

    m_now += milliseconds(1);
    line.Show(Totals(5, 2, 1), "/srv/www/b");
    EXPECT_THAT(Screen(),
                ElementsAre("5 examined, 2 infected, 1 problems, 50 files/s  /srv/www/b"));
}

TEST_F(ProgressLineTest, HiddenLineLeavesTheLogAloneAndComesBackAsItWasUntilTheNextRefresh) {
    ProgressLine line = MakeLine(80);
    line.Show(Totals(1), "/a");
    line.Hide();
    EXPECT_THAT(Screen(), IsEmpty());

    m_terminal << "/a/index.htm\n";
    m_now += milliseconds(10);
    line.Show(Totals(2), "/a");
    EXPECT_THAT(Screen(), ElementsAre("/a/index.htm", StartsWith("1 examined,")));

    line.Hide();
    m_terminal << LogText::kRemoveOk << "\n";
    m_now += milliseconds(100);
    line.Show(Totals(2, 1), "/a");
    EXPECT_THAT(Screen(), ElementsAre("/a/index.htm", LogText::kRemoveOk,
                                      StartsWith("2 examined, 1 infected,")));
}

TEST_F(ProgressLineTest, ShorterRefreshLeavesNothingOfTheLongerLine) {
    ProgressLine line = MakeLine(80);
    line.Show(Totals(1), "/srv/www/a/very/long/folder/name");
    m_now += milliseconds(100);
    line.Show(Totals(2), "/b");
    EXPECT_THAT(Screen(), ElementsAre("2 examined, 0 infected, 0 problems, 20 files/s  /b"));
    line.Hide();
    EXPECT_THAT(Screen(), IsEmpty());
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
        MakeLine(c.m_columns).Show(Totals(12), c.m_folder);
        EXPECT_THAT(Screen(), ElementsAre(c.m_shown)) << c.m_columns << " columns";
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
