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
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/scan_site.h"
#include "support/temp_dir.h"
#include "support/terminal_screen.h"

namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

struct TerminalRun {
    std::string m_terminal;  // every byte the terminal received
    std::string m_stdout;    // the log, when it went to a file
    int m_exitCode = -1;
};

// A pseudo-terminal of the given width; the test reads what its programs
// write. The test holds the terminal's own end open too, so that nothing
// written is lost when the program ends before the test has read it.
class PseudoTerminal {
public:
    explicit PseudoTerminal(int columns) {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        m_name = ptsname(m_master);
        m_slave = open(m_name.c_str(), O_RDWR | O_NOCTTY);
        winsize size{};
        size.ws_row = 24;
        size.ws_col = static_cast<unsigned short>(columns);
        ioctl(m_master, TIOCSWINSZ, &size);
    }
    ~PseudoTerminal() {
        close(m_slave);
        close(m_master);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int Slave() const { return m_slave; }

    // Reads what has arrived, waiting at most the given time for the first byte.
    std::string Drain(int timeoutMs) const {
        std::string received;
        pollfd ready{m_master, POLLIN, 0};
        char buffer[4096];
        while (poll(&ready, 1, received.empty() ? timeoutMs : 0) > 0) {
            const ssize_t got = read(m_master, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            received.append(buffer, static_cast<std::size_t>(got));
        }
        return received;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_name;
};

TerminalRun RunOnTerminal(const std::vector<std::string>& args, bool logOnTerminal,
                          int columns = 80) {
    PseudoTerminal terminal(columns);
    TempDir outputDir;
    const std::string outputFile = outputDir.Path("stdout");
    const std::string program = ProgramBesideTest("kelvane-scan");
    const pid_t child = fork();
    if (child == 0) {
        const int output =
            logOnTerminal ? terminal.Slave() : open(outputFile.c_str(), O_WRONLY | O_CREAT, 0600);
        dup2(output, STDOUT_FILENO);
        dup2(terminal.Slave(), STDERR_FILENO);
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
    while (waitpid(child, &status, WNOHANG) == 0) {
        run.m_terminal += terminal.Drain(50);
    }
    run.m_terminal += terminal.Drain(0);
    run.m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.m_stdout = logOnTerminal ? std::string() : ReadBytes(outputFile);
    return run;
}

std::vector<std::string> ScreenOf(const std::string& bytes) {
    TerminalScreen screen;
    screen.Receive(bytes);
    return screen.Lines();
}

std::size_t WidestLineOf(const std::string& bytes) {
    TerminalScreen screen;
    screen.Receive(bytes);
    return screen.WidestLine();
}

bool PseudoTerminalsAvailable() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        return false;
    }
    close(master);
    return true;
}

class ProgressTerminalTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PseudoTerminalsAvailable()) {
            GTEST_SKIP() << "this machine gives no pseudo-terminal";
        }
        MakeInfectedSite(m_site);
        // The dry run's log is the log the scan will print.
        m_expectedLog = Scan({"--dry-run", m_site.Root().string()}).m_stdout;
    }

    TempDir m_site;
    std::string m_expectedLog;
};

TEST_F(ProgressTerminalTest, LineOnTheTerminalAloneIsShownAndGoneAtTheEnd) {
    const TerminalRun run = RunOnTerminal({m_site.Root().string()}, false);
    EXPECT_EQ(run.m_exitCode, 2);
    EXPECT_EQ(run.m_stdout, m_expectedLog);
    EXPECT_THAT(run.m_terminal, HasSubstr(" examined, "));
    EXPECT_THAT(ScreenOf(run.m_terminal), IsEmpty());
}

TEST_F(ProgressTerminalTest, LineTakesTheWidthOfTheTerminal) {
    const TerminalRun run = RunOnTerminal({m_site.Root().string()}, false, 30);
    EXPECT_THAT(run.m_terminal, HasSubstr("\r0 examined, 0 infected, 0 pro"));
    EXPECT_EQ(WidestLineOf(run.m_terminal), 29u);
}

TEST_F(ProgressTerminalTest, LogOnTheSameTerminalIsAllThatStaysOnIt) {
    const TerminalRun run = RunOnTerminal({m_site.Root().string()}, true);
    EXPECT_EQ(run.m_exitCode, 2);
    EXPECT_THAT(run.m_terminal, HasSubstr(" examined, "));
    EXPECT_EQ(ScreenOf(run.m_terminal), OutputLines(m_expectedLog));
}

TEST_F(ProgressTerminalTest, QuietScanShowsTheLineAndThenOnlyTheReport) {
    const TerminalRun run = RunOnTerminal({"--quiet", m_site.Root().string()}, true);
    EXPECT_THAT(run.m_terminal, HasSubstr(" examined, "));
    const std::vector<std::string> log = OutputLines(m_expectedLog);
    const auto report = std::find(log.begin(), log.end(), "REPORT:");
    EXPECT_EQ(ScreenOf(run.m_terminal), std::vector<std::string>(report, log.end()));
}

}  // namespace
