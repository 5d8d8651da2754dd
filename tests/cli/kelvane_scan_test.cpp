// kelvane-scan as a user runs it: a separate process, its standard output,
// standard error and exit status, and the files it leaves behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

#include "cli/scan_site.h"
#include "cli/tree_snapshot.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const char kOk[] = "       ==>>Infected. Remove OK!!!";
const char kDone[] = "==================== It is all !!! ===================";
const char kBreak[] = "==================== Break by user.===================";

std::string Banner(const std::string& root) {
    return "==================== Drive " + root + " ===================";
}

std::vector<std::string> Report(int checked, int treated, int errors) {
    return {"REPORT:", "Total checked files: " + std::to_string(checked),
            "Infected and successful treat files: " + std::to_string(treated),
            "Error while treat files: " + std::to_string(errors)};
}

// Banner, files and report joined in the order the log shows them.
std::vector<std::string> Log(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> log;
    for (const std::vector<std::string>& part : parts) {
        log.insert(log.end(), part.begin(), part.end());
    }
    return log;
}

class KelvaneScanTest : public ::testing::Test {
protected:
    std::string Root() const { return m_dir.Root().string(); }
    TempDir m_dir;
};

TEST_F(KelvaneScanTest, CleanTreeIsCheckedAndExitsWithZero) {
    const std::string page = m_dir.Write("index.htm", "<html>\n</html>\n");
    const std::string sheet = m_dir.Write("style.css", kBlock);
    const ProcessResult result = Scan({Root()});
    EXPECT_EQ(result.m_exitCode, 0);
    EXPECT_THAT(result.m_stderr, IsEmpty());
    EXPECT_THAT(OutputLines(result.m_stdout),
                ElementsAreArray(Log({{Banner(Root()), page, kDone}, Report(1, 0, 0)})));
    EXPECT_EQ(ReadBytes(sheet), kBlock) << "a file no mask matches is never touched";
}

TEST_F(KelvaneScanTest, InfectedFilesAreCleanedPathByPathAndExitWithOne) {
    const std::string crlf =
        m_dir.Write("crlf.htm",
                    "<html>\r\n<script language=x>\r\nRem I am sorry! happy time\r\n"
                    "</script>\r\n</html>\r\n");
    fs::create_directory(m_dir.Root() / "scripts");
    const std::string twice = m_dir.Write((fs::path("scripts") / "two.vbs").string(),
                                          std::string("a\n") + kBlock + "b\n" + kBlock);
    const ProcessResult result = Scan({crlf, (m_dir.Root() / "scripts").string()});
    EXPECT_EQ(result.m_exitCode, 1);
    EXPECT_THAT(
        OutputLines(result.m_stdout),
        ElementsAreArray(Log({{Banner(crlf), crlf, kOk},
                              {Banner((m_dir.Root() / "scripts").string()), twice, kOk, kOk, kDone},
                              Report(2, 2, 0)})));
    EXPECT_EQ(ReadBytes(crlf), "<html>\n</html>\n");
    EXPECT_EQ(ReadBytes(twice), "a\nb\n");
}

TEST_F(KelvaneScanTest, OptionsReachTheScan) {
    const std::string custom = m_dir.Write("notes.txt", "keep\n<!-- EVIL\nx\n-->\n");
    const std::string page = m_dir.Write("page.htm", kBlock);
    const ProcessResult result =
        Scan({"--signature", "EVIL", "--first-string", "<!--", "--last-string", "-->",
              "--file-types", "*.TXT", custom, page});
    EXPECT_EQ(result.m_exitCode, 1);
    EXPECT_EQ(ReadBytes(custom), "keep\n");
    EXPECT_EQ(ReadBytes(page), kBlock) << "*.htm is no longer among the masks";
}

TEST_F(KelvaneScanTest, QuietPrintsOnlyTheReportAndStillCleans) {
    const std::string page = m_dir.Write("page.htm", kBlock);
    const std::string broken = m_dir.Write("broken.htm", "Rem I am sorry! happy time\n");
    const ProcessResult result = Scan({"--quiet", "--keep-on-error", page, broken});
    EXPECT_EQ(result.m_exitCode, 2);
    EXPECT_THAT(
        OutputLines(result.m_stdout),
        ElementsAreArray(Log({Report(2, 1, 1), {"List of files causes problems:", broken}})));
    EXPECT_EQ(ReadBytes(page), "");
}

TEST_F(KelvaneScanTest, ExcludedFoldersAndFilesAreLeftAsTheyAre) {
    fs::create_directories(m_dir.Root() / "cache" / "deep");
    const std::string cached = m_dir.Write((fs::path("cache") / "deep" / "a.htm").string(), kBlock);
    const std::string old = m_dir.Write("old.htm", kBlock);
    const std::string page = m_dir.Write("page.htm", std::string("p\n") + kBlock);
    const ProcessResult result =
        Scan({"--exclude", "**" + std::string(1, fs::path::preferred_separator) + "cache",
              "--exclude", "**old.htm", Root()});
    EXPECT_EQ(result.m_exitCode, 1);
    EXPECT_THAT(OutputLines(result.m_stdout),
                ElementsAreArray(Log({{Banner(Root()), page, kOk, kDone}, Report(1, 1, 0)})));
    EXPECT_EQ(ReadBytes(cached), kBlock);
    EXPECT_EQ(ReadBytes(old), kBlock);
    EXPECT_EQ(ReadBytes(page), "p\n");
}

// A block whose first line cannot be found: the file is a problem file,
// deleted unless the user keeps it.
class UndelimitedBlockScanTest : public KelvaneScanTest {
protected:
    UndelimitedBlockScanTest()
        : m_path(m_dir.Write("broken.htm", "Rem I am sorry! happy time\n")) {}

    std::vector<std::string> ExpectedLog() const {
        return Log({{Banner(m_path), m_path,
                     "       ==>>Infected. Treat error: The first line of virus not found!", kDone},
                    Report(1, 0, 1),
                    {"List of files causes problems:", m_path}});
    }

    const std::string m_path;
};

TEST_F(UndelimitedBlockScanTest, FileIsDeletedByDefaultAndTheStatusIsTwo) {
    const ProcessResult result = Scan({m_path});
    EXPECT_EQ(result.m_exitCode, 2);
    EXPECT_THAT(OutputLines(result.m_stdout), ElementsAreArray(ExpectedLog()));
    EXPECT_FALSE(fs::exists(m_path));
}

TEST_F(UndelimitedBlockScanTest, KeepOnErrorLeavesTheFileWhole) {
    const ProcessResult result = Scan({"--keep-on-error", m_path});
    EXPECT_EQ(result.m_exitCode, 2);
    EXPECT_THAT(OutputLines(result.m_stdout), ElementsAreArray(ExpectedLog()));
    EXPECT_EQ(ReadBytes(m_path), "Rem I am sorry! happy time\n");
}

TEST_F(KelvaneScanTest, MissingPathGetsItsBannerAndAMessageAndTheOthersAreScanned) {
    const std::string missing = (m_dir.Root() / "gone").string();
    const std::string page = m_dir.Write("page.htm", "clean\n");
    const ProcessResult result = Scan({missing, page});
    EXPECT_EQ(result.m_exitCode, 2);
    EXPECT_THAT(
        OutputLines(result.m_stdout),
        ElementsAreArray(Log({{Banner(missing), Banner(page), page, kDone}, Report(1, 0, 0)})));
    EXPECT_THAT(result.m_stderr, HasSubstr(missing + ": not scanned: "));
}

TEST_F(KelvaneScanTest, RelativePathIsShownAbsoluteWithoutATrailingSeparator) {
    const std::string page = m_dir.Write("page.htm", "clean\n");
    const fs::path before = fs::current_path();
    fs::current_path(m_dir.Root());
    const ProcessResult result =
        Scan({std::string(".") + static_cast<char>(fs::path::preferred_separator)});
    fs::current_path(before);
    ASSERT_THAT(OutputLines(result.m_stdout), ::testing::SizeIs(::testing::Ge(2u)));
    EXPECT_EQ(OutputLines(result.m_stdout)[0], Banner(Root()));
    EXPECT_EQ(OutputLines(result.m_stdout)[1], page);
}

// Every mistake on the command line: status 2, a hint on standard error,
// no scan at all, the tree as it was. "DIR" stands for a folder holding an
// infected page and an empty folder "bak".
class UsageErrorTest : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(UsageErrorTest, ScansNothingAndSaysWhy) {
    TempDir dir;
    dir.Write("page.htm", kBlock);
    fs::create_directory(dir.Root() / "bak");
    const TreeSnapshot before = SnapshotOf(dir.Root());
    std::vector<std::string> args = GetParam();
    for (std::string& arg : args) {
        if (arg.rfind("DIR", 0) == 0) {
            arg = (dir.Root() / fs::path(arg.substr(3)).relative_path()).string();
        }
    }
    const ProcessResult result = Scan(args);
    EXPECT_EQ(result.m_exitCode, 2);
    EXPECT_THAT(result.m_stdout, IsEmpty());
    EXPECT_THAT(result.m_stderr, StartsWith("kelvane-scan: "));
    EXPECT_THAT(result.m_stderr, HasSubstr("--help"));
    EXPECT_EQ(Differences(before, SnapshotOf(dir.Root()), true), "");
}

// An empty PATH (what "$UNSET" gives) is tried in a dry run, so that a
// broken rule reads the current folder rather than changing it.
INSTANTIATE_TEST_SUITE_P(
    Mistakes, UsageErrorTest,
    ::testing::Values(std::vector<std::string>{},
                      std::vector<std::string>{"--signature", "", "DIR"},
                      std::vector<std::string>{"--signature", " ", "DIR"},
                      std::vector<std::string>{"--signature", "\t ", "DIR"},
                      std::vector<std::string>{"--dry-run", "", "DIR"},
                      std::vector<std::string>{"--report", "", "DIR"},
                      std::vector<std::string>{"--backup-dir", "", "DIR"},
                      std::vector<std::string>{"--restore", "", "DIR"},
                      std::vector<std::string>{"--report", "DIR/page.htm", "DIR"},
                      std::vector<std::string>{"--backup-dir", "DIR/bak", "--report",
                                               "DIR/bak/manifest.jsonl", "DIR/page.htm"},
                      std::vector<std::string>{"--bogus", "DIR"},
                      std::vector<std::string>{"DIR", "--signature"},
                      std::vector<std::string>{"--all-drives", "DIR"}));

// The usual conventions, run in a folder holding "-site/page.htm" (infected)
// with "-site" given relative: "--" ends the options, a value may follow
// its option after "=", and a mask that can match nothing is warned of
// while the scan runs as asked.
struct CommandLine {
    std::vector<std::string> m_args;
    int m_exitCode;
    std::string m_stderr;  // a part of standard error; "" when it must be empty
};

void PrintTo(const CommandLine& line, std::ostream* out) {
    *out << ::testing::PrintToString(line.m_args);
}

class CommandLineTest : public ::testing::TestWithParam<CommandLine> {};

TEST_P(CommandLineTest, FollowsTheUsualConventions) {
    TempDir dir;
    fs::create_directory(dir.Root() / "-site");
    dir.Write((fs::path("-site") / "page.htm").string(), kBlock);
    const fs::path before = fs::current_path();
    fs::current_path(dir.Root());
    const ProcessResult result = Scan(GetParam().m_args);
    fs::current_path(before);
    EXPECT_EQ(result.m_exitCode, GetParam().m_exitCode) << result.m_stdout << result.m_stderr;
    if (GetParam().m_stderr.empty()) {
        EXPECT_THAT(result.m_stderr, IsEmpty());
    } else {
        EXPECT_THAT(result.m_stderr, HasSubstr(GetParam().m_stderr));
    }
}

const char kNoMatch[] = " matches no file";

INSTANTIATE_TEST_SUITE_P(
    Conventions, CommandLineTest,
    ::testing::Values(
        CommandLine{{"--", "-site"}, 1, ""},
        CommandLine{{"--quiet", "--", "-site", "--"}, 2, "--: not scanned"},
        CommandLine{{"-site"}, 2, "unknown option -site"},
        CommandLine{{"--signature=Rem I am sorry! happy time", "--file-types=*.htm *.*",
                     "--first-string=<script", "--last-string=</script>", "--exclude=**/x",
                     "--report=r.jsonl", "--", "-site"},
                    1,
                    ""},
        CommandLine{{"--file-types", "*.HTM", "--report", "r.jsonl", "--", "-site"}, 1, ""},
        CommandLine{{"--signature=", "--", "-site"}, 2, "the signature must not be empty"},
        CommandLine{{"--report=", "--", "-site"}, 2, "--report must not be empty"},
        CommandLine{{"--quiet=yes", "--", "-site"}, 2, "--quiet takes no value"},
        CommandLine{{"--bogus=1", "--", "-site"}, 2, "unknown option --bogus"},
        CommandLine{{"--file-types=*", "--", "-site"}, 0, std::string("mask *") + kNoMatch},
        CommandLine{
            {"--file-types=page.htm", "--", "-site"}, 0, std::string("mask page.htm") + kNoMatch},
        CommandLine{{"--file-types=*htm", "--", "-site"}, 0, std::string("mask *htm") + kNoMatch},
        CommandLine{{"--file-types=?.htm", "--", "-site"}, 0, std::string("mask ?.htm") + kNoMatch},
        CommandLine{{"--file-types=*.x.htm *.htm", "--", "-site"},
                    1,
                    std::string("mask *.x.htm") + kNoMatch}));

TEST(KelvaneScanHelp, NamesEveryOptionDefaultAndExitStatus) {
    const ProcessResult result = Scan({"--help"});
    EXPECT_EQ(result.m_exitCode, 0);
    for (const char* text :
         {"--signature", "--first-string", "--last-string", "--file-types", "--remove-on-error",
          "--keep-on-error", "--all-drives", "--exclude", "--quiet", "--version", "  --  ",
          "--report=FILE", "\"Rem I am sorry! happy time\"", "\"<script language\"",
          "\"</script>\"", "\"*.htm *.html *.hta *.vbs *.htt\"", "Exit status: 0", "1 infected",
          "2 a file"}) {
        EXPECT_THAT(result.m_stdout, HasSubstr(text));
    }
    EXPECT_THAT(Scan({"--version"}).m_stdout, StartsWith("kelvane-scan 1."));
}

// Ctrl+C, kill and a closed terminal in the middle of a long scan: the file
// being treated is finished, the break banner and the report end the log,
// every file is either as it was or cleaned, never in between, no temporary
// file is left, and the scan never ends as an all-clear.
class InterruptTest : public KelvaneScanTest, public ::testing::WithParamInterface<int> {};

TEST_P(InterruptTest, EndsTheScanWithTheBreakBannerTheReportAndStatusTwo) {
#ifdef _WIN32
    // Wine delivers a console's Ctrl+C to a test's own handler but not to a
    // program it starts with redirected output; the handler is tested alone.
    GTEST_SKIP() << "Ctrl+C does not reach a started program under Wine";
#endif
    const std::string original = std::string(20000, 'x') + "\n" + kBlock;
    const int kFiles = 2000;
    for (int i = 0; i < kFiles; ++i) {
        m_dir.Write("page" + std::to_string(i) + ".htm", original);
    }
    const TempDir out;
    const std::string report = out.Path("report.jsonl");
    ChildProcess scan("kelvane-scan", {"--report", report, Root()});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (scan.OutputSoFar().empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    scan.Interrupt(GetParam());
    const ProcessResult result = scan.Wait();
    const std::vector<std::string> lines = OutputLines(result.m_stdout);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[lines.size() - 5], kBreak);
    int entries = 0;
    int cleaned = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(m_dir.Root())) {
        ++entries;
        const std::string bytes = ReadBytes(entry.path().string());
        ASSERT_TRUE(bytes == original || bytes == std::string(20000, 'x') + "\n")
            << entry.path() << " is neither the old nor the new content";
        cleaned += bytes != original;
    }
    EXPECT_EQ(entries, kFiles) << "no file lost, no temporary file left";
    EXPECT_LT(cleaned, kFiles) << "the scan stopped early";
    EXPECT_EQ(lines[lines.size() - 2],
              "Infected and successful treat files: " + std::to_string(cleaned));
    EXPECT_EQ(result.m_exitCode, 2);
    EXPECT_THAT(result.m_stderr, HasSubstr("kelvane-scan: interrupted: the scan did not finish"));
    EXPECT_THAT(ReadBytes(report), HasSubstr(",\"interrupted\":true,"));
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Signals, InterruptTest, ::testing::Values(SIGINT, SIGBREAK));
#else
INSTANTIATE_TEST_SUITE_P(Signals, InterruptTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP));
#endif

// Fills a tree of two levels with files pages, one in twenty infected.
void GrowTree(const fs::path& root, int files) {
    for (int i = 0; i < files; ++i) {
        const fs::path folder =
            root / ("a" + std::to_string(i % 7)) / ("b" + std::to_string(i / 10));
        fs::create_directories(folder);
        std::ofstream(folder / ("p" + std::to_string(i) + ".htm"), std::ios::binary)
            << std::string(4000, 'x') << "\n"
            << (i % 20 == 0 ? kBlock : "");
    }
}

// A walk keeps one listing per level of the current branch and a treatment
// one file, so a scan of many files needs no more memory than one of few
// files in a tree as deep.
TEST(KelvaneScanMemory, DoesNotGrowWithTheNumberOfFiles) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer keeps freed memory in quarantine";
#endif
    if (Scan({"--version"}).m_peakMemoryKb == 0) {
        GTEST_SKIP() << "this system does not tell a program's peak memory";
    }
    TempDir small;
    TempDir large;
    GrowTree(small.Root(), 100);
    GrowTree(large.Root(), 4000);
    const ProcessResult few = Scan({small.Root().string()});
    const ProcessResult many = Scan({large.Root().string()});
    ASSERT_EQ(many.m_exitCode, 1);
    EXPECT_THAT(OutputLines(many.m_stdout), ::testing::Contains("Total checked files: 4000"));
    EXPECT_LT(many.m_peakMemoryKb - few.m_peakMemoryKb, 1024)
        << "peak memory " << few.m_peakMemoryKb << " KB for 100 files, " << many.m_peakMemoryKb
        << " KB for 4000";
}

#ifdef _WIN32
// A scan of every drive, run only where C: is the only drive (the test
// sandbox, whose C: is a scratch folder): never on a real machine.
TEST(KelvaneScanAllDrives, WalksEveryDriveOfTheSandbox) {
    char drives[16] = {};
    const DWORD length = GetLogicalDriveStringsA(sizeof drives, drives);
    if (std::string(drives, length) != std::string("C:\\\0", 4)) {
        GTEST_SKIP() << "runs only in a sandbox whose only drive is C:";
    }
    fs::create_directory("C:\\all-drives");
    const std::string page = "C:\\all-drives\\page.htm";
    std::ofstream(page, std::ios::binary) << "<p>\n" << kBlock;
    const ProcessResult result = Scan({"--all-drives"});
    const std::vector<std::string> lines = OutputLines(result.m_stdout);
    fs::remove_all("C:\\all-drives");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), Banner("C:\\"));
    EXPECT_THAT(lines, ::testing::Contains(page));
    EXPECT_EQ(result.m_exitCode, 1);
}
#endif

}  // namespace
