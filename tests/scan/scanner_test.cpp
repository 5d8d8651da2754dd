#include "scan/scanner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <new>

#include "core/stop_flag.h"
#include "fileio/fault_injection.h"
#include "scan/file_types.h"
#include "scan/scan_stats.h"
#include "support/capture_host.h"
#include "support/os_errors.h"
#include "support/temp_dir.h"

namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

const char kInfected[] = "<script language>\nRem I am sorry! happy time\n</script>\n";
const char kUndelimited[] = "Rem I am sorry! happy time\n";
const char* const kDone = LogText::kEndBanner;
const char* const kBreak = LogText::kBreakBanner;

// A scan of a fresh folder by a host of the given kind.
template <typename Host>
class ScanWith : public ::testing::Test {
protected:
    ScanWith() { m_host.m_masks = ParseFileTypes("*.htm *.html"); }
    ~ScanWith() override { g_bStopScan = 0; }

    std::string Root() const { return m_dir.Root().string(); }
    std::string Banner() const { return LogText::DriveBanner(Root()); }

    Host m_host;
    TempDir m_dir;
};

using ScannerTest = ScanWith<CaptureHost>;

TEST_F(ScannerTest, MatchingFilesAreLoggedAndTreatedWhereverTheyAre) {
    std::filesystem::create_directories(m_dir.Root() / "pages.htm" / "deep");
    const std::string infected = (m_dir.Root() / "pages.htm" / "deep" / "INDEX.HTM").string();
    m_dir.Write(infected, kInfected);
    m_dir.Write("index.htm.bak", kInfected);
    m_dir.Write("readme", "x");
    EXPECT_EQ(ScanRoots({Root()}).m_nTreated, 1);
    EXPECT_EQ(m_host.m_log,
              LogThenReport({Banner(), infected, LogText::kRemoveOk, kDone}, ReportLines(1, 1, 0)));
    EXPECT_EQ(ReadBytes(infected), "");
}

TEST_F(ScannerTest, FileMatchingTwoMasksIsTreatedTwice) {
    m_host.m_masks = ParseFileTypes("*.htm *.*");
    const std::string path = m_dir.Write(".hidden.htm", "x");
    EXPECT_EQ(ScanRoots({Root()}).m_nChecked, 2);
    EXPECT_EQ(m_host.m_log, LogThenReport({Banner(), path, path, kDone}, ReportLines(2, 0, 0)));
}

TEST_F(ScannerTest, EmptyMaskListWalksAndReportsZeros) {
    m_host.m_masks.clear();
    m_dir.Write("a.htm", kInfected);
    const std::string missing = m_dir.Path("missing");
    ScanRoots({Root(), missing});
    EXPECT_EQ(m_host.m_log, LogThenReport({Banner(), LogText::DriveBanner(missing), kDone},
                                          ReportLines(0, 0, 0)));
    EXPECT_THAT(m_host.m_notScanned, ElementsAre(StartsWith(missing + ": ")));
}

// A folder that cannot be listed is told to the host, which may say so; the
// log stays the window's, and the walk goes on with the next entry.
TEST_F(ScannerTest, FolderThatCannotBeListedIsReportedAndTheWalkGoesOn) {
    for (const char* folder : {"one", "two"}) {
        std::filesystem::create_directory(m_dir.Root() / folder);
        m_dir.Write((m_dir.Root() / folder / "a.htm").string(), kInfected);
    }
    ClearFaults();
    InjectFault(FileCall::ListDirectory, 2, kIoError);
    const ScanTotals totals = ScanRoots({Root()});
    ClearFaults();
    EXPECT_EQ(totals.m_nTreated, 1);
    ASSERT_EQ(m_host.m_notScanned.size(), 1u);
    EXPECT_EQ(m_host.m_log.size(), 8u) << "the banners, one file and its line, the report";
}

// The window scans again in the same process: the problem files come in the
// order the log met them, and the next scan starts from zero.
TEST_F(ScannerTest, ProblemListKeepsTheLogsOrderAndTheNextScanStartsFromZero) {
    std::vector<std::string> roots;
    std::vector<std::string> log;
    std::vector<std::string> problems;
    for (const char* name : {"b.htm", "c.htm", "x.htm", "a.htm"}) {
        const bool cleanable = name[0] == 'x';
        const std::string path = m_dir.Write(name, cleanable ? kInfected : kUndelimited);
        roots.push_back(path);
        log.insert(log.end(), {LogText::DriveBanner(path), path,
                               cleanable ? LogText::kRemoveOk : LogText::kBlockNotDelimited});
        problems.insert(problems.end(), cleanable ? 0 : 1, path);
    }
    ScanRoots(roots);
    log.push_back(kDone);
    EXPECT_EQ(m_host.m_log, LogThenReport(log, ReportLines(4, 1, 3, problems)));
    m_host.m_log.clear();
    ScanRoots({});
    EXPECT_EQ(m_host.m_log, LogThenReport({kDone}, ReportLines(0, 0, 0)));
}

TEST_F(ScannerTest, StopSetBeforeTheScanLogsTheBreakAndTheReport) {
    m_dir.Write("a.htm", kInfected);
    g_bStopScan = 1;
    ScanRoots({Root()});
    EXPECT_EQ(m_host.m_log, LogThenReport({kBreak}, ReportLines(0, 0, 0)));
}

// Stops the scan while the first file is being treated.
class StoppingHost : public CaptureHost {
public:
    void AddLogLine(const std::string& line) override {
        CaptureHost::AddLogLine(line);
        if (line == LogText::kRemoveOk) {
            g_bStopScan = 1;
        }
    }
};

using ScannerStop = ScanWith<StoppingHost>;

TEST_F(ScannerStop, FileBeingTreatedFinishesAndNoFurtherEntryIsTaken) {
    for (const char* name : {"a.htm", "b.htm", "c.htm"}) {
        m_dir.Write(name, kInfected);
    }
    EXPECT_EQ(ScanRoots({Root(), Root()}).m_nTreated, 1);
    EXPECT_EQ(m_host.m_log,
              LogThenReport({Banner(), m_host.m_log.at(1), LogText::kRemoveOk, kBreak},
                            ReportLines(1, 1, 0)))
        << "the second root is not begun";
}

// The stop request is looked at once more after the last root, so a stop
// during the very last file still ends the log with the break banner.
TEST_F(ScannerStop, StopDuringTheLastFileOfTheLastRootIsABreak) {
    const std::string path = m_dir.Write("only.htm", kInfected);
    ScanRoots({Root()});
    EXPECT_EQ(m_host.m_log,
              LogThenReport({Banner(), path, LogText::kRemoveOk, kBreak}, ReportLines(1, 1, 0)));
}

// Fails as an allocation would, whenever the walk begins to list a folder.
class ThrowingHost : public CaptureHost {
public:
    void WalkingFolder(const std::string& /*fullPath*/) override { throw std::bad_alloc(); }
};

using ScannerException = ScanWith<ThrowingHost>;

// An exception out of the walk still ends the scan with the break banner,
// never the all-clear, and the report, and the next scan counts from zero.
TEST_F(ScannerException, EndsTheScanWithTheBreakAndTheReportAndClearsTheStatistics) {
    const std::string page = m_dir.Write("a.htm", kInfected);
    ScanRoots({page, Root()});
    EXPECT_EQ(m_host.m_log, LogThenReport({LogText::DriveBanner(page), page, LogText::kRemoveOk,
                                           Banner(), kBreak},
                                          ReportLines(1, 1, 0)));
    EXPECT_EQ(g_scanStats.Totals().m_nChecked, 0);
}

// Leaves out every entry whose full path ends in "skip".
class ExcludingHost : public CaptureHost {
public:
    bool Excludes(const std::string& fullPath) const override {
        return fullPath.size() >= 4 && fullPath.compare(fullPath.size() - 4, 4, "skip") == 0;
    }
};

using ScannerExclusion = ScanWith<ExcludingHost>;

TEST_F(ScannerExclusion, ExcludedFolderIsNeverListedAndExcludedFileNeverTreated) {
    m_host.m_masks = ParseFileTypes("*.htm *.skip");
    std::filesystem::create_directory(m_dir.Root() / "skip");
    m_dir.Write((m_dir.Root() / "skip" / "a.htm").string(), kInfected);
    m_dir.Write("b.skip", kInfected);
    const std::string kept = m_dir.Write("c.htm", kInfected);
    ClearFaults();
    EXPECT_EQ(ScanRoots({Root()}).m_nChecked, 1);
    EXPECT_EQ(UsesOf(FileCall::ListDirectory), 1) << "only the root is listed";
    EXPECT_EQ(ReadBytes(kept), "");
    EXPECT_EQ(ReadBytes(m_dir.Path("b.skip")), kInfected);
}

}  // namespace
