#include "cli/progress_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "support/terminal_screen.h"

namespace {

using std::chrono::milliseconds;
using ::testing::ElementsAre;
using ::testing::EndsWith;
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

    std::size_t WidestLine() const {
        TerminalScreen screen;
        screen.Receive(m_terminal.str());
        return screen.WidestLine();
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
    m_terminal << "       ==>>Infected. Remove OK!!!\n";
    m_now += milliseconds(100);
    line.Show(Totals(2, 1), "/a");
    EXPECT_THAT(Screen(), ElementsAre("/a/index.htm", "       ==>>Infected. Remove OK!!!",
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

TEST_F(ProgressLineTest, LineNeverReachesTheLastColumn) {
    const std::string folder = "/srv/www/" + std::string(100, 'x') + "/end";
    ProgressLine line = MakeLine(60);
    line.Show(Totals(12), folder);
    EXPECT_EQ(WidestLine(), 59u);
    EXPECT_THAT(Screen(), ElementsAre(AllOf(StartsWith("12 examined, 0 infected, 0 problems"),
                                            EndsWith("...xxxx/end"))));
}

TEST_F(ProgressLineTest, FiguresWiderThanTheTerminalAreCut) {
    ProgressLine line = MakeLine(20);
    line.Show(Totals(12), "/srv/www");
    EXPECT_THAT(Screen(), ElementsAre("12 examined, 0 infe"));
}

TEST_F(ProgressLineTest, ControlBytesOfAFolderNameAreShownAsQuestionMarks) {
    ProgressLine line = MakeLine(80);
    line.Show(Totals(0), "/srv/a\nb\rc\x1b[2J\x7f");
    EXPECT_THAT(Screen(), ElementsAre(EndsWith("  /srv/a?b?c?[2J?")));
}

TEST(TailThatFits, KeepsWholeTextThatFits) {
    EXPECT_EQ(TailThatFits("/srv/www", 8, CodePage::SingleByte()), "/srv/www");
    EXPECT_EQ(TailThatFits("/srv/www", 7, CodePage::SingleByte()), ".../www");
    EXPECT_EQ(TailThatFits("/srv/www", 2, CodePage::SingleByte()), "");
}

TEST(TailThatFits, NeverCutsACharacter) {
    // "/d/" and two UTF-8 characters of two bytes each: the cut falls inside
    // the first one, which then goes whole.
    EXPECT_EQ(TailThatFits("/d/\xC3\xA9\xC3\xA8", 6, CodePage::SingleByte()), "...\xC3\xA8");

    // A double-byte name whose trail bytes look like ASCII letters: the cut
    // falls on a trail byte and moves on to the next character.
    const CodePage shiftJis = CodePage::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}});
    EXPECT_EQ(TailThatFits("/\x82\x61\x82\x62\x82\x63", 6, shiftJis), "...\x82\x63");
    EXPECT_EQ(TailThatFits("//\x82\x61\x82\x62\x82\x63", 7, shiftJis), "...\x82\x62\x82\x63");
}

}  // namespace
