// Scans of a small site from the window: the log line by line and the files on disk after.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <vector>

#include "gui/kelvane_app.h"
#include "gui/remote_window.h"
#include "gui/scan_log.h"
#include "gui/screenshot.h"
#include "gui/site_tree.h"
#include "gui/web_pages.h"

namespace {

using ::testing::ElementsAreArray;

// The window paints its log a few times a second while a scan runs, and once more after it.
constexpr std::chrono::milliseconds kLogPaintWait{2000};

class SiteScanTest : public ::testing::Test {
protected:
    SiteScanTest() {
        // Several line ends, an upper-case extension, two blocks in one file, a last line
        // without a line end, a folder whose name looks like a page, and files of other types
        // that carry the block too.
        Add("index.htm", Infected("home", "\r\n"), 1, Cleaned("home"));
        Add("news\\today.html", Infected("today", "\n"), 1, Cleaned("today"));
        std::string noLastLineEnd = Infected("old", "\n");
        noLastLineEnd.pop_back();
        Add("news\\archive\\old.HTA", noLastLineEnd, 1, Cleaned("old"));
        Add("scripts\\run.vbs", Page("run", "\r\n") + VirusBlock("\r\n") + VirusBlock("\r\n"), 2,
            Cleaned("run"));
        Add("pages.htm\\contact.htm", Infected("contact", "\n"), 1, Cleaned("contact"));
        Add("about.htt", Page("about", "\r\n"), 0, Page("about", "\r\n"));
        Keep("readme.txt", Infected("readme", "\r\n"));
        Keep("index.htm.bak", Infected("backup", "\r\n"));
        m_walk = m_tree.FilesInWalkOrder();
    }

    void Add(const std::string& relative, const std::string& bytes, int blocks,
             const std::string& after) {
        m_blocks[m_tree.Write(relative, bytes)] = blocks;
        m_after[m_tree.Path(relative)] = after;
    }

    // A file that no mask matches: never logged, never changed.
    void Keep(const std::string& relative, const std::string& bytes) {
        m_after[m_tree.Write(relative, bytes)] = bytes;
    }

    // The lines of a complete scan that walks the files in the order walk, by masks that match
    // the files in blocks. Rewriting a file may change the order in which its folder lists its
    // files, so the order is taken before the scan.
    static LogLines ExpectedScan(const std::vector<std::string>& walk,
                                 const std::map<std::string, int>& blocks) {
        ScanLog expected;
        for (const std::string& path : walk) {
            const auto matched = blocks.find(path);
            if (matched != blocks.end()) {
                expected.AddFile(path, matched->second);
            }
        }
        return expected.Complete();
    }

    void ExpectFilesAsAfterTheScan() const {
        for (const auto& [path, bytes] : m_after) {
            EXPECT_EQ(ReadWholeFile(path), bytes) << path;
        }
    }

    SiteTree m_tree;
    std::vector<std::string> m_walk;
    std::map<std::string, int> m_blocks;
    std::map<std::string, std::string> m_after;
    KelvaneApp m_app;
};

// Each new line is scrolled into view: once the scan has ended and the window has painted it,
// the report's last line is the last row the list shows, though the log is longer than the list
// is high.
// While a scan runs the log is drawn only now and then; once it has ended the log is shown
// for good, scrolled to its end.
void ExpectLastLineIsTheLastVisibleRow(HWND list, std::size_t lines) {
    const auto rows = static_cast<std::size_t>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    ASSERT_LT(rows, lines) << "the log must be longer than the list is high";
    std::size_t top = 0;
    WaitUntil(
        [&] {
            top = static_cast<std::size_t>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
            return top + rows == lines && IsWindowVisible(list);
        },
        kLogPaintWait);
    EXPECT_EQ(top + rows, lines);
    EXPECT_TRUE(IsWindowVisible(list)) << "the log is hidden after the scan";
}

TEST_F(SiteScanTest, LogsEveryMatchingFileInWalkOrderAndCleansTheInfected) {
    m_app.StartScan();
    const LogLines log = m_app.WaitForLog(HasReports(1));
    EXPECT_THAT(log, ElementsAreArray(ExpectedScan(m_walk, m_blocks)));
    ExpectLastLineIsTheLastVisibleRow(m_app.Control(kLogList), log.size());
    ExpectFilesAsAfterTheScan();
    SaveScreenshotIfAsked(m_app.Window());
}

TEST_F(SiteScanTest, NextScanFollowsTheReportTakesTheFieldsAnewAndCountsFromZero) {
    m_app.StartScan();
    const LogLines first = m_app.WaitForLog(HasReports(1));

    m_app.SetText(kFileTypesEdit, "*.htm");
    const std::vector<std::string> walk = m_tree.FilesInWalkOrder();
    m_app.StartScan();
    const LogLines log = m_app.WaitForLog(HasReports(2));

    // Cleaned already: the .htm files are logged and counted again, and nothing is infected.
    LogLines expected = first;
    const LogLines second = ExpectedScan(
        walk, {{m_tree.Path("index.htm"), 0}, {m_tree.Path("pages.htm\\contact.htm"), 0}});
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_THAT(log, ElementsAreArray(expected));
    ExpectFilesAsAfterTheScan();
}

}  // namespace
