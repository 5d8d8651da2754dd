// kelvane-scan as a user runs it: a separate process, its standard output,
// standard error and exit status, and the files it leaves behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "cli/scan_site.h"
#include "support/capture_host.h"

namespace {

namespace fs = std::filesystem;
using LogText::DriveBanner;
using LogText::kRemoveOk;
using ::testing::HasSubstr;

// Each PATH gets its banner, absolute and without a trailing separator
// however it was given; a missing one gets a message and the others are
// scanned. A CR LF file comes back with LF line breaks, both blocks of a
// file go; an excluded folder and file, and a file no mask matches, are not
// even checked, so the log never names them.
TEST(KelvaneScanTest, InfectedFilesAreCleanedPathByPath) {
    const TempDir dir;
    const std::string crlf = dir.Write(
        "crlf.htm", "<html>\r\n<script language=x>\r\nRem I am sorry! happy time\r\n</script>\r\n");
    fs::create_directories(dir.Root() / "scripts" / "cache");
    const std::string scripts = (dir.Root() / "scripts").string();
    const std::string twice = dir.Write((fs::path("scripts") / "two.vbs").string(),
                                        std::string("a\n") + kBlock + "b\n" + kBlock);
    dir.Write("scripts/cache/a.htm", kBlock);
    dir.Write("scripts/old.htm", kBlock);
    dir.Write("scripts/style.css", kBlock);
    const std::string missing = (dir.Root() / "gone").string();
    const std::string separator(1, fs::path::preferred_separator);
    const fs::path cwd = fs::current_path();
    fs::current_path(dir.Root());
    const ProcessResult result = Scan({"--exclude", "**" + separator + "cache", "--exclude",
                                       "**old.htm", missing, crlf, "scripts" + separator});
    fs::current_path(cwd);
    EXPECT_EQ(result.m_exitCode, 2);
    EXPECT_THAT(OutputLines(result.m_stdout),
                ::testing::ElementsAreArray(LogThenReport(
                    {DriveBanner(missing), DriveBanner(crlf), crlf, kRemoveOk, DriveBanner(scripts),
                     twice, kRemoveOk, kRemoveOk, LogText::kEndBanner},
                    ReportLines(2, 2, 0))));
    EXPECT_THAT(result.m_stderr, HasSubstr(missing + ": not scanned: "));
    EXPECT_EQ(ReadBytes(crlf), "<html>\n");
    EXPECT_EQ(ReadBytes(twice), "a\nb\n");
}

// Command lines run in a folder holding "-site/page.htm" (infected),
// "-site/notes.txt" (infected with a block of its own, which only the
// options for it find), an empty folder "bak", "old" holding a backup's
// manifest and "full" a file; on POSIX also "link" to "-site", "theirs" of
// another user, "shared" that its group may write to and "alias" linking to
// "bak". A mistake: status 2, a hint on standard error, no scan at all, the
// tree as it was, no folder "new". Otherwise the usual conventions: "--"
// ends the options, a value may follow its option after "=", a mask that
// can match nothing is warned of while the scan runs as asked, and every
// option of the block and the masks reaches the scan.
using Args = std::vector<std::string>;
struct CommandLine {
    CommandLine(Args args, int exitCode = 2, std::string said = "")
        : m_args(std::move(args)), m_exitCode(exitCode), m_said(std::move(said)) {}
    Args m_args;
    int m_exitCode;
    std::string m_said;  // a part of standard error; "" when it must be empty
};

void PrintTo(const CommandLine& line, std::ostream* out) {
    *out << ::testing::PrintToString(line.m_args);
}

class CommandLineTest : public ::testing::TestWithParam<CommandLine> {
protected:
    void SetUp() override {
        for (const char* folder : {"-site", "bak", "old", "full"}) {
            fs::create_directory(m_dir.Root() / folder);
        }
        m_dir.Write((fs::path("-site") / "page.htm").string(), kBlock);
        m_dir.Write((fs::path("-site") / "notes.txt").string(), "keep\n<!-- EVIL\nx\n-->\n");
        m_dir.Write((fs::path("old") / "manifest.jsonl").string(), "");
        m_dir.Write((fs::path("full") / "x").string(), "");
#ifndef _WIN32
        fs::create_directory_symlink("-site", m_dir.Root() / "link");
        fs::create_directory_symlink("bak", m_dir.Root() / "alias");
        fs::create_directory(m_dir.Root() / "theirs");
        ASSERT_EQ(chown(m_dir.Path("theirs").c_str(), 4242, 4242), 0);
        fs::create_directory(m_dir.Root() / "shared");
        fs::permissions(m_dir.Root() / "shared", fs::perms::owner_all | fs::perms::group_write);
#endif
        m_before = SnapshotOf(m_dir.Root());
    }

    ProcessResult Run() const {
        const fs::path cwd = fs::current_path();
        fs::current_path(m_dir.Root());
        const ProcessResult result = Scan(GetParam().m_args);
        fs::current_path(cwd);
        EXPECT_EQ(result.m_exitCode, GetParam().m_exitCode) << result.m_stdout << result.m_stderr;
        return result;
    }

    TempDir m_dir;
    std::string m_before;
};

TEST_P(CommandLineTest, IsRefusedBeforeAnythingIsRead) {
    const ProcessResult result = Run();
    EXPECT_EQ(result.m_stdout, "");
    EXPECT_THAT(result.m_stderr, ::testing::StartsWith("kelvane-scan: "));
    EXPECT_THAT(result.m_stderr, HasSubstr(GetParam().m_said));
    EXPECT_THAT(result.m_stderr, HasSubstr("--help"));
    EXPECT_EQ(SnapshotOf(m_dir.Root()), m_before);
    EXPECT_FALSE(fs::exists(m_dir.Root() / "new"));
}

class ConventionTest : public CommandLineTest {};

TEST_P(ConventionTest, IsTakenAsItMeans) {
    const ProcessResult result = Run();
    EXPECT_EQ(result.m_stderr.empty(), GetParam().m_said.empty()) << result.m_stderr;
    EXPECT_THAT(result.m_stderr, HasSubstr(GetParam().m_said));
}

// An empty PATH (what "$UNSET" gives) is tried in a dry run, so that a
// broken rule reads the current folder rather than changing it.
INSTANTIATE_TEST_SUITE_P(
    Mistakes, CommandLineTest,
    ::testing::Values(
        CommandLine{{}}, CommandLine{{"--signature", "", "./-site"}},
        CommandLine{{"--signature=\t ", "./-site"}}, CommandLine{{"--dry-run", "", "./-site"}},
        CommandLine{{"--report", "", "./-site"}}, CommandLine{{"--backup-dir", "", "./-site"}},
        CommandLine{{"--restore", "", "./-site"}},
        CommandLine{{"--report", "./-site/page.htm", "./-site"}},
        CommandLine{{"--backup-dir", "bak", "--report", "bak/manifest.jsonl", "./-site/page.htm"}},
        CommandLine{{"--bogus", "./-site"}}, CommandLine{{"-site"}},
        CommandLine{{"--quiet=yes", "./-site"}}, CommandLine{{"--jobs", "0", "./-site"}},
        CommandLine{{"--jobs=65", "./-site"}}, CommandLine{{"--jobs", "2x", "./-site"}},
        CommandLine{{"./-site", "--signature"}}, CommandLine{{"--all-drives", "./-site"}},
        CommandLine{{"--dry-run", "--backup-dir", "new", "./-site/page.htm"}},
        CommandLine{{"--force", "./-site"}}, CommandLine{{"--restore", "bak", "--dry-run"}},
        CommandLine{{"--restore", "bak", "--keep-on-error"}},
        CommandLine{{"--backup-dir", "new", "--all-drives"}}));

// A backup folder that would let the copies be read, replaced or scanned.
const CommandLine kBackupDirs[] = {
    {{"--backup-dir", "-site/keep", "./-site"}, 2, "is inside"},
    {{"--backup-dir", "old", "./-site"}, 2, "already holds a backup"},
    {{"--backup-dir", "full", "./-site"}, 2, "must be empty"},
    {{"--backup-dir", "no/b", "./-site"}, 2, "does not exist"},
#ifndef _WIN32
    {{"--backup-dir", "link/b", "./-site"}, 2, "is inside"},
    {{"--backup-dir", "theirs", "./-site"}, 2, "must be a folder of yours"},
    {{"--backup-dir", "shared", "./-site"}, 2, "must be a folder of yours"},
    {{"--backup-dir", "alias", "./-site"}, 2, "must be a folder of yours"},
#endif
};
INSTANTIATE_TEST_SUITE_P(BackupDirs, CommandLineTest, ::testing::ValuesIn(kBackupDirs));

const CommandLine kConventions[] = {
    {{"--", "-site"}, 1},
    {{"--quiet", "--", "-site", "--"}, 2, "--: not scanned"},
    {{"--signature=Rem I am sorry! happy time", "--file-types=*.htm *.*", "--report=r.jsonl", "--",
      "-site"},
     1},
    {{"--file-types", "*.HTM", "--report", "r.jsonl", "--", "-site"}, 1},
    {{"--file-types=*", "--", "-site"}, 0, "mask * matches no file"},
    {{"--file-types=*.x.htm *.htm", "--", "-site"}, 1, "mask *.x.htm matches no file"},
    {{"--signature", "EVIL", "--first-string", "<!--", "--last-string", "-->", "--file-types",
      "*.TXT", "--", "-site"},
     1},
    {{"--jobs=64", "--", "-site"}, 1},
    {{"--help"}, 0},
    {{"--version"}, 0},
#ifndef _WIN32
    // A report lost to a full disk is said (Windows has no full device).
    {{"--report", "/dev/full", "--", "-site"}, 2, "/dev/full: the report could not be written"},
#endif
};
INSTANTIATE_TEST_SUITE_P(Conventions, ConventionTest, ::testing::ValuesIn(kConventions));

// Ctrl+C, kill and a closed terminal in the middle of a long scan: the file
// being treated is finished, the break banner and the report end the log,
// every file is either as it was or cleaned, never in between, no temporary
// file is left, and the scan never ends as an all-clear. POSIX alone: Wine
// delivers a console's Ctrl+C to a test's own handler but not to a program
// it starts with redirected output, so there the handler is tested alone.
#ifndef _WIN32
class InterruptTest : public ::testing::TestWithParam<int> {};

TEST_P(InterruptTest, EndsTheScanWithTheBreakBannerTheReportAndStatusTwo) {
    const TempDir dir;
    const std::string cleaned = std::string(20000, 'x') + "\n";
    const int kFiles = 2000;
    for (int i = 0; i < kFiles; ++i) {
        dir.Write("page" + std::to_string(i) + ".htm", cleaned + kBlock);
    }
    const TempDir out;
    ChildProcess scan("kelvane-scan", {"--report", out.Path("report.jsonl"), dir.Root().string()});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (scan.OutputSoFar().empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    scan.Interrupt(GetParam());
    const ProcessResult result = scan.Wait();
    int entries = 0;
    int treated = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.Root())) {
        const std::string bytes = ReadBytes(entry.path().string());
        ASSERT_TRUE(bytes == cleaned + kBlock || bytes == cleaned) << entry.path();
        ++entries;
        treated += bytes == cleaned;
    }
    EXPECT_EQ(entries, kFiles) << "no file lost, no temporary file left";
    EXPECT_LT(treated, kFiles) << "the scan stopped early";
    const std::vector<std::string> lines = OutputLines(result.m_stdout);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[lines.size() - 5], LogText::kBreakBanner);
    EXPECT_EQ(lines[lines.size() - 2], LogText::TreatedCount(treated));
    EXPECT_EQ(result.m_exitCode, 2);
    EXPECT_THAT(result.m_stderr, HasSubstr("kelvane-scan: interrupted: the scan did not finish"));
    EXPECT_THAT(ReadBytes(out.Path("report.jsonl")), HasSubstr(",\"interrupted\":true,"));
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP));
#endif

// A walk keeps one listing per level of the current branch and a treatment
// one file, so a scan of many files needs no more memory than one of few
// files in a tree as deep: two levels, one page in twenty infected.
TEST(KelvaneScanMemory, DoesNotGrowWithTheNumberOfFiles) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer keeps freed memory in quarantine";
#endif
    // Both trees keep every search thread busy and the queue ahead of the
    // log full, so only the number of files differs.
    long peakKb[2] = {};
    for (const int files : {500, 4000}) {
        TempDir dir;
        for (int i = 0; i < files; ++i) {
            const fs::path folder =
                dir.Root() / ("a" + std::to_string(i % 7)) / ("b" + std::to_string(i / 10));
            fs::create_directories(folder);
            std::ofstream(folder / ("p" + std::to_string(i) + ".htm"), std::ios::binary)
                << std::string(4000, 'x') << "\n"
                << (i % 20 == 0 ? kBlock : "");
        }
        const ProcessResult result = Scan({dir.Root().string()});
        ASSERT_THAT(OutputLines(result.m_stdout),
                    ::testing::Contains(LogText::CheckedCount(files)));
        if (result.m_peakMemoryKb == 0) {
            GTEST_SKIP() << "this system does not tell a program's peak memory";
        }
        peakKb[files > 500] = result.m_peakMemoryKb;
    }
    EXPECT_LT(peakKb[1] - peakKb[0], 1024)
        << peakKb[0] << " KB for 500 files, " << peakKb[1] << " KB for 4000";
}

}  // namespace
