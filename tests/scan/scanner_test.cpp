#include "scan/scanner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <tuple>

#include "core/stop_flag.h"
#include "fileio/fault_injection.h"
#include "scan/file_types.h"
#include "scan/scan_stats.h"
#include "support/capture_host.h"
#include "support/os_errors.h"
#include "support/temp_dir.h"

namespace {

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

// A matching file is taken wherever it is, hidden or below a folder named
// like a page, once for each mask it matches.
TEST_F(ScannerTest, MatchingFilesAreTreatedWhereverTheyAreOncePerMask) {
    std::filesystem::create_directories(m_dir.Root() / "pages.htm" / "deep");
    const std::string infected =
        m_dir.Write((m_dir.Root() / "pages.htm" / "deep" / ".INDEX.HTM").string(), kInfected);
    m_dir.Write("index.htm.bak", kInfected);
    m_host.m_masks = ParseFileTypes("*.htm *.HTM");
    EXPECT_EQ(ScanRoots({Root()}).m_nTreated, 1);
    EXPECT_EQ(m_host.m_log, LogThenReport({Banner(), infected, LogText::kRemoveOk, infected, kDone},
                                          ReportLines(2, 1, 0)));
    EXPECT_EQ(ReadBytes(infected), "");
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
    EXPECT_EQ(ScanRoots({Root()}).m_nTreated, 1);
    ClearFaults();
    ASSERT_EQ(m_host.m_notScanned.size(), 1u);
    EXPECT_EQ(m_host.m_log.size(), 8u) << "the banners, one file and its line, the report";
}

// A stop before the scan, or during the first of several files, or during
// the very last file of the last root (the request is looked at once more
// after it): the file in hand finishes, nothing further is begun, and the
// log ends with the break banner and the report.
TEST_F(ScannerTest, FileBeingTreatedFinishesAndNoFurtherEntryIsTaken) {
    m_host.m_onLine = [](const std::string& line) {
        if (line == LogText::kRemoveOk) {
            g_bStopScan = 1;
        }
    };
    // Whether the stop comes before the scan, the files, the roots.
    const std::tuple<bool, int, std::size_t> cases[] = {{true, 1, 1}, {false, 3, 2}, {false, 1, 1}};
    for (const auto& [before, files, roots] : cases) {
        SCOPED_TRACE(std::to_string(files) + " files, " + std::to_string(roots) + " roots");
        TempDir dir;
        for (int i = 0; i < files; ++i) {
            dir.Write(std::to_string(i) + ".htm", kInfected);
        }
        m_host.m_log.clear();
        g_bStopScan = before ? 1 : 0;
        ScanRoots(std::vector<std::string>(roots, dir.Root().string()));
        EXPECT_EQ(m_host.m_log,
                  before ? LogThenReport({kBreak}, ReportLines(0, 0, 0))
                         : LogThenReport({LogText::DriveBanner(dir.Root().string()),
                                          m_host.m_log.at(1), LogText::kRemoveOk, kBreak},
                                         ReportLines(1, 1, 0)));
    }
}

// Fails as an allocation would, whenever the walk begins to list a folder.
class ThrowingHost : public CaptureHost {
public:
    void WalkingFolder(const std::string& /*fullPath*/) override { throw std::bad_alloc(); }
};

using ScannerException = ScanWith<ThrowingHost>;

// An exception out of the walk still ends the scan with the break banner,
// never the all-clear, and the report, whose problem files come in the
// order the log met them, and the next scan counts from zero.
TEST_F(ScannerException, EndsTheScanWithTheBreakAndTheReportAndClearsTheStatistics) {
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
    roots.push_back(Root());
    ScanRoots(roots);
    log.insert(log.end(), {Banner(), kBreak});
    EXPECT_EQ(m_host.m_log, LogThenReport(log, ReportLines(4, 1, 3, problems)));
    EXPECT_EQ(g_scanStats.Totals().m_nChecked, 0);
}

}  // namespace
