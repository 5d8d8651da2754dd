// kelvane-scan with standard error on a terminal: the progress line is
// shown there while the walk runs, never wider than the terminal, and gone
// when the scan ends, whether the log goes elsewhere or to the same
// terminal.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/scan_site.h"
#include "support/capture_host.h"
#include "support/terminal_screen.h"

namespace {

using ::testing::HasSubstr;

// A scan of the infected site with standard error on a terminal of the given
// width, and standard output there too or in a file; with --quiet the log
// is its report alone.
struct TerminalCase {
    bool m_logOnTerminal;
    bool m_quiet;
    unsigned short m_columns;
};

class ProgressTerminalTest : public ::testing::TestWithParam<TerminalCase> {};

TEST_P(ProgressTerminalTest, LineTakesTheWidthAndLeavesOnlyTheLogOnTheTerminal) {
    const TerminalCase& row = GetParam();
    const TempDir site;
    MakeInfectedSite(site);
    std::vector<std::string> log = OutputLines(Scan({"--dry-run", site.Root().string()}).m_stdout);
    if (row.m_quiet) {
        log.erase(log.begin(), std::find(log.begin(), log.end(), LogText::kReportHeading));
    }
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const std::string terminal = ptsname(master);
    // Held open, so that nothing written is lost when the program ends
    // before the test has read it.
    const int slave = open(terminal.c_str(), O_RDWR | O_NOCTTY);
    const winsize size{24, row.m_columns, 0, 0};
    ioctl(master, TIOCSWINSZ, &size);
    std::vector<std::string> args = {
        "-c", std::string("exec \"$@\" 2>\"$0\"") + (row.m_logOnTerminal ? " >\"$0\"" : ""),
        terminal, ProgramBesideTest("kelvane-scan"), site.Root().string()};
    if (row.m_quiet) {
        args.push_back("--quiet");
    }
    const ProcessResult result = Scan(args, "/bin/sh");
    std::string received;
    char buffer[4096];
    for (pollfd ready{master, POLLIN, 0}; poll(&ready, 1, 0) > 0;) {
        const ssize_t got = read(master, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        received.append(buffer, static_cast<std::size_t>(got));
    }
    close(slave);
    close(master);
    TerminalScreen screen;
    screen.Receive(received);
    EXPECT_EQ(result.m_exitCode, 2);
    EXPECT_THAT(received, HasSubstr("\r0 examined, 0 infected, 0 pro"));
    EXPECT_LE(screen.WidestLine(), row.m_columns - 1u);
    EXPECT_EQ(screen.Lines(), row.m_logOnTerminal ? log : std::vector<std::string>());
    EXPECT_EQ(OutputLines(result.m_stdout), row.m_logOnTerminal ? std::vector<std::string>() : log);
}

INSTANTIATE_TEST_SUITE_P(Terminals, ProgressTerminalTest,
                         ::testing::Values(TerminalCase{false, false, 30},
                                           TerminalCase{true, false, 80},
                                           TerminalCase{true, true, 80}));

}  // namespace
