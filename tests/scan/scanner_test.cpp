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

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using ::testing::StartsWith;

const char kInfected[] = "<script language>\nRem I am sorry! happy time\n</script>\n";
const char* const kDone = LogText::kEndBanner;
const char* const kBreak = LogText::kBreakBanner;

class ScannerTest : public ::testing::Test {
protected:
    ScannerTest() { m_host.m_masks = ParseFileTypes("*.htm *.html"); }
    ~ScannerTest() override { g_bStopScan = 0; }

    std::string Root() const { return m_dir.Root().string(); }
    std::string Banner() const { return LogText::DriveBanner(Root()); }
    std::string Sep() const { return std::string(1, std::filesystem::path::preferred_separator); }

    CaptureHost m_host;
    TempDir m_dir;
};

TEST_F(ScannerTest, MatchingFilesAreLoggedAndTreatedWhereverTheyAre) {
    std::filesystem::create_directories(m_dir.Root() / "pages.htm" / "deep");
    m_dir.Write("pages.htm" + Sep() + "deep" + Sep() + "INDEX.HTM", kInfected);
    m_dir.Write("index.htm.bak", kInfected);
    m_dir.Write("readme", "x");
    const ScanTotals totals = ScanRoots({Root()});
    const std::string infected =
        Root() + Sep() + "pages.htm" + Sep() + "deep" + Sep() + "INDEX.HTM";
    EXPECT_EQ(m_host.m_log,
              LogThenReport({Banner(), infected, LogText::kRemoveOk, kDone}, ReportLines(1, 1, 0)));
    EXPECT_EQ(totals.m_nTreated, 1);
    EXPECT_EQ(ReadBytes(infected), "");
}

TEST_F(ScannerTest, FileMatchingTwoMasksIsTreatedTwice) {
    m_host.m_masks = ParseFileTypes("*.htm *.*");
    m_dir.Write(".hidden.htm", "x");
    const ScanTotals totals = ScanRoots({Root()});
    const std::string path = Root() + Sep() + ".hidden.htm";
    EXPECT_EQ(m_host.m_log, LogThenReport({Banner(), path, path, kDone}, ReportLines(2, 0, 0)));
    EXPECT_EQ(totals.m_nChecked, 2);
}

TEST_F(ScannerTest, EmptyMaskListWalksAndReportsZeros) {
    m_host.m_masks.clear();
    m_dir.Write("a.htm", kInfected);
    ScanRoots({Root(), Root() + Sep() + "missing"});
    EXPECT_EQ(m_host.m_log,
              LogThenReport({Banner(), LogText::DriveBanner(Root() + Sep() + "missing"), kDone},
                            ReportLines(0, 0, 0)));
    EXPECT_THAT(m_host.m_notScanned, ElementsAre(StartsWith(Root() + Sep() + "missing: ")));
}

// A folder that cannot be listed is told to the host, which may say so; the
// log stays the window's, and the walk goes on with the next entry.
TEST_F(ScannerTest, FolderThatCannotBeListedIsReportedAndTheWalkGoesOn) {
    for (const char* folder : {"one", "two"}) {
        std::filesystem::create_directory(m_dir.Root() / folder);
        m_dir.Write(std::string(folder) + Sep() + "a.htm", kInfected);
    }
    ClearFaults();
    InjectFault(FileCall::ListDirectory, 2, kIoError);
    const ScanTotals totals = ScanRoots({Root()});
    ClearFaults();
    EXPECT_EQ(totals.m_nTreated, 1);
    ASSERT_EQ(m_host.m_notScanned.size(), 1u);
    EXPECT_EQ(m_host.m_log.size(), 8u) << "the banners, one file and its line, the report";
}

TEST_F(ScannerTest, NoRootsStillEndWithTheBannerAndReport) {
    ScanRoots({});
    EXPECT_EQ(m_host.m_log, LogThenReport({kDone}, ReportLines(0, 0, 0)));
}

TEST_F(ScannerTest, RootThatIsAFileIsHandledLikeAFileInAWalk) {
    const std::string path = m_dir.Write("one.html", kInfected);
    ScanRoots({path});
    EXPECT_EQ(m_host.m_log,
              LogThenReport({LogText::DriveBanner(path), path, LogText::kRemoveOk, kDone},
                            ReportLines(1, 1, 0)));
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
        if (line.find("Infected.") != std::string::npos) {
            g_bStopScan = 1;
        }
    }
};

TEST(ScannerStop, FileBeingTreatedFinishesAndNoFurtherEntryIsTaken) {
    StoppingHost host;
    host.m_masks = ParseFileTypes("*.htm");
    TempDir dir;
    for (const char* name : {"a.htm", "b.htm", "c.htm"}) {
        dir.Write(name, kInfected);
    }
    const ScanTotals totals = ScanRoots({dir.Root().string(), dir.Root().string()});
    g_bStopScan = 0;
    EXPECT_EQ(totals.m_nTreated, 1);
    EXPECT_THAT(host.m_log, Contains(kBreak));
    EXPECT_EQ(std::count(host.m_log.begin(), host.m_log.end(), LogText::kReportHeading), 1);
    EXPECT_EQ(std::count_if(host.m_log.begin(), host.m_log.end(),
                            [](const std::string& l) { return l.rfind("====", 0) == 0; }),
              2)
        << "one drive banner, then the break: the second root is not begun";
}

// The stop request is looked at once more after the last root, so a stop
// during the very last file still ends the log with the break banner.
TEST(ScannerStop, StopDuringTheLastFileOfTheLastRootIsABreak) {
    StoppingHost host;
    host.m_masks = ParseFileTypes("*.htm");
    TempDir dir;
    const std::string path = dir.Write("only.htm", kInfected);
    ScanRoots({dir.Root().string()});
    g_bStopScan = 0;
    EXPECT_EQ(host.m_log, LogThenReport({LogText::DriveBanner(dir.Root().string()), path,
                                         LogText::kRemoveOk, kBreak},
                                        ReportLines(1, 1, 0)));
}

// Fails as an allocation would, whenever the walk begins to list a folder.
class ThrowingHost : public CaptureHost {
public:
    void WalkingFolder(const std::string& /*fullPath*/) override { throw std::bad_alloc(); }
};

// An exception out of the walk still ends the scan with the break banner,
// never the all-clear, and the report, and the next scan counts from zero.
TEST(ScannerException, EndsTheScanWithTheBreakAndTheReportAndClearsTheStatistics) {
    ThrowingHost host;
    host.m_masks = ParseFileTypes("*.htm");
    TempDir dir;
    const std::string page = dir.Write("a.htm", kInfected);
    ScanRoots({page, dir.Root().string()});
    g_bStopScan = 0;
    EXPECT_EQ(host.m_log, LogThenReport({LogText::DriveBanner(page), page, LogText::kRemoveOk,
                                         LogText::DriveBanner(dir.Root().string()), kBreak},
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

TEST(ScannerExclusion, ExcludedFolderIsNeverListedAndExcludedFileNeverTreated) {
    ExcludingHost host;
    host.m_masks = ParseFileTypes("*.htm *.skip");
    TempDir dir;
    std::filesystem::create_directory(dir.Root() / "skip");
    dir.Write((std::filesystem::path("skip") / "a.htm").string(), kInfected);
    dir.Write("b.skip", kInfected);
    const std::string kept = dir.Write("c.htm", kInfected);
    ClearFaults();
    const ScanTotals totals = ScanRoots({dir.Root().string()});
    EXPECT_EQ(UsesOf(FileCall::ListDirectory), 1) << "only the root is listed";
    EXPECT_EQ(totals.m_nChecked, 1);
    EXPECT_EQ(ReadBytes(kept), "");
    EXPECT_EQ(ReadBytes(dir.Path("b.skip")), kInfected);
}

}  // namespace
