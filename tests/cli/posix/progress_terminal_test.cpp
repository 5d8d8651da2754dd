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

// A scan of the infected site with standard error on a terminal: a wide one
// that takes standard output too, or a narrow one with standard output in a
// file and the log cut to its report by --quiet.
class ProgressTerminalTest : public ::testing::TestWithParam<bool> {};

TEST_P(ProgressTerminalTest, LineTakesTheWidthAndLeavesOnlyTheLogOnTheTerminal) {
    const bool logOnTerminal = GetParam();
    const unsigned short columns = logOnTerminal ? 80 : 30;
    const TempDir site;
    MakeInfectedSite(site);
    std::vector<std::string> log = OutputLines(Scan({"--dry-run", site.Root().string()}).m_stdout);
    if (!logOnTerminal) {
        log.erase(log.begin(), std::find(log.begin(), log.end(), LogText::kReportHeading));
    }
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const std::string terminal = ptsname(master);
    // Held open, so that nothing written is lost when the program ends
    // before the test has read it.
    const int slave = open(terminal.c_str(), O_RDWR | O_NOCTTY);
    const winsize size{24, columns, 0, 0};
    ioctl(master, TIOCSWINSZ, &size);
    std::vector<std::string> args = {
        "-c", std::string("exec \"$@\" 2>\"$0\"") + (logOnTerminal ? " >\"$0\"" : " --quiet"),
        terminal, ProgramBesideTest("kelvane-scan"), site.Root().string()};
    const ProcessResult result = Scan(args, "/bin/sh");
    std::string received;
    char buffer[4096];
    pollfd ready{master, POLLIN, 0};
    for (ssize_t got; poll(&ready, 1, 0) > 0 && (got = read(master, buffer, sizeof buffer)) > 0;) {
        received.append(buffer, static_cast<std::size_t>(got));
    }
    close(slave);
    close(master);
    TerminalScreen screen;
    screen.Receive(received);
    EXPECT_EQ(result.m_exitCode, 2);
    EXPECT_THAT(received, ::testing::HasSubstr("\r0 examined, 0 infected, 0 pro"));
    EXPECT_LE(screen.WidestLine(), columns - 1u);
    EXPECT_EQ(screen.Lines(), logOnTerminal ? log : std::vector<std::string>());
    EXPECT_EQ(OutputLines(result.m_stdout), logOnTerminal ? std::vector<std::string>() : log);
}

INSTANTIATE_TEST_SUITE_P(Terminals, ProgressTerminalTest, ::testing::Bool());

}  // namespace
