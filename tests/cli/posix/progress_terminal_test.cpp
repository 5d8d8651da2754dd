// kelvane-scan with standard error on a terminal: the progress line is
// shown there while the walk runs, never wider than the terminal, and gone
// when the scan ends, whether the log goes elsewhere or to the same
// terminal.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/scan_site.h"
#include "support/capture_host.h"
#include "support/terminal_screen.h"

namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

struct TerminalRun {
    TerminalScreen m_screen;
    std::string m_terminal;  // every byte the terminal received
    std::string m_stdout;    // the log, when it went to a file
    int m_exitCode = -1;
};

// Runs the scan with standard error on a pseudo-terminal of the given width,
// and standard output there too or in a file. The test holds the terminal's
// own end open too, so that nothing written is lost when the program ends
// before the test has read it.
TerminalRun RunOnTerminal(const std::vector<std::string>& args, bool logOnTerminal,
                          unsigned short columns = 80) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        ADD_FAILURE() << "no pseudo-terminal";
        return {};
    }
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    const winsize size{24, columns, 0, 0};
    ioctl(master, TIOCSWINSZ, &size);
    TempDir outputDir;
    const std::string outputFile = outputDir.Path("stdout");
    const std::string program = ProgramBesideTest("kelvane-scan");
    const pid_t child = fork();
    if (child == 0) {
        dup2(logOnTerminal ? slave : open(outputFile.c_str(), O_WRONLY | O_CREAT, 0600), 1);
        dup2(slave, 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    TerminalRun run;
    int status = 0;
    for (bool ended = false; !ended;) {
        ended = waitpid(child, &status, WNOHANG) != 0;
        pollfd ready{master, POLLIN, 0};
        char buffer[4096];
        while (poll(&ready, 1, ended ? 0 : 50) > 0) {
            const ssize_t got = read(master, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            run.m_terminal.append(buffer, static_cast<std::size_t>(got));
        }
    }
    close(slave);
    close(master);
    run.m_screen.Receive(run.m_terminal);
    run.m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.m_stdout = logOnTerminal ? std::string() : ReadBytes(outputFile);
    return run;
}

// The infected site, and the log a scan of it prints, as its dry run tells it.
std::string SiteAndItsLog(const TempDir& site) {
    MakeInfectedSite(site);
    return Scan({"--dry-run", site.Root().string()}).m_stdout;
}

TEST(ProgressTerminal, LineOnTheTerminalAloneTakesItsWidthAndIsGoneAtTheEnd) {
    const TempDir site;
    const std::string log = SiteAndItsLog(site);
    const TerminalRun run = RunOnTerminal({site.Root().string()}, false, 30);
    EXPECT_EQ(run.m_exitCode, 2);
    EXPECT_EQ(run.m_stdout, log);
    EXPECT_THAT(run.m_terminal, HasSubstr("\r0 examined, 0 infected, 0 pro"));
    EXPECT_EQ(run.m_screen.WidestLine(), 29u);
    EXPECT_THAT(run.m_screen.Lines(), IsEmpty());
}

// The log alone stays on the terminal, or with --quiet its report alone.
TEST(ProgressTerminal, LogOnTheSameTerminalIsAllThatStaysOnIt) {
    for (const bool quiet : {false, true}) {
        SCOPED_TRACE(quiet ? "quiet" : "whole log");
        const TempDir site;
        std::vector<std::string> log = OutputLines(SiteAndItsLog(site));
        std::vector<std::string> args = {site.Root().string()};
        if (quiet) {
            args.insert(args.begin(), "--quiet");
            log.erase(log.begin(), std::find(log.begin(), log.end(), LogText::kReportHeading));
        }
        const TerminalRun run = RunOnTerminal(args, true);
        EXPECT_THAT(run.m_terminal, HasSubstr(" examined, "));
        EXPECT_EQ(run.m_screen.Lines(), log);
    }
}

}  // namespace
