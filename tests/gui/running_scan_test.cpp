// What the window does while a scan runs: Start, Stop, Exit, the About box and closing. The
// site is large enough that a scan lasts far longer than the test takes to act on it: under
// Wine on Xvfb the window logs some 30 lines a second.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "gui/kelvane_app.h"
#include "gui/remote_window.h"
#include "gui/scan_log.h"
#include "gui/site_tree.h"
#include "gui/web_pages.h"

namespace {

using ::testing::ElementsAreArray;

constexpr int kFolders = 4;
constexpr int kPagesPerFolder = 100;
// Pages cleaned before the test acts: the scan is under way.
constexpr int kUnderWay = 5;
constexpr char kAboutCaption[] = "About Kelvane";

class RunningScanTest : public ::testing::Test {
protected:
    RunningScanTest() {
        for (int folder = 0; folder < kFolders; ++folder) {
            for (int page = 0; page < kPagesPerFolder; ++page) {
                const std::string name =
                    "folder" + std::to_string(folder) + "\\page" + std::to_string(page) + ".htm";
                m_pages[m_tree.Write(name, Infected(name, "\r\n"))] = name;
            }
        }
        m_walk = m_tree.FilesInWalkOrder();
    }

    void StartAndWaitUntilUnderWay() const {
        m_app.StartScan();
        m_app.WaitForLog([](const LogLines& log) {
            return CountLinesStartingWith(log, kRemovedLine) >= kUnderWay;
        });
    }

    // Each page is still there, either as it was or cleaned whole, and nothing else is in the
    // tree, no temporary file in particular. Returns the cleaned pages.
    std::set<std::string> CleanedPages() const {
        std::set<std::string> cleaned;
        const std::vector<std::string> files = m_tree.FilesInWalkOrder();
        EXPECT_EQ(files.size(), m_pages.size()) << "pages were removed or added";
        for (const std::string& path : files) {
            const auto page = m_pages.find(path);
            if (page == m_pages.end()) {
                ADD_FAILURE() << "left in the tree: " << path;
                continue;
            }
            const std::string bytes = ReadWholeFile(path);
            if (bytes == Cleaned(page->second)) {
                cleaned.insert(path);
            } else if (bytes != Infected(page->second, "\r\n")) {
                ADD_FAILURE() << "half treated: " << path;
            }
        }
        return cleaned;
    }

    // The pages first met by the walk were cleaned whole and the rest not touched; returns
    // how many were cleaned.
    std::size_t ExpectCleanedFromTheStartOfTheWalk() const {
        const std::set<std::string> cleaned = CleanedPages();
        EXPECT_GE(cleaned.size(), static_cast<std::size_t>(kUnderWay));
        const auto walked = m_walk.begin() + static_cast<std::ptrdiff_t>(cleaned.size());
        EXPECT_EQ(cleaned, std::set<std::string>(m_walk.begin(), walked));
        return cleaned.size();
    }

    // As above, and the walk was stopped before its end.
    std::size_t ExpectWalkStoppedPartWay() const {
        const std::size_t cleaned = ExpectCleanedFromTheStartOfTheWalk();
        EXPECT_LT(cleaned, m_walk.size()) << "the scan ended before the test acted";
        return cleaned;
    }

    // The log of one scan stopped during the walk, which finished the page in hand.
    void ExpectOneStoppedScan(const LogLines& log) const {
        const std::size_t cleaned = ExpectWalkStoppedPartWay();
        ScanLog expected;
        for (std::size_t i = 0; i < cleaned; ++i) {
            expected.AddFile(m_walk[i], 1);
        }
        EXPECT_THAT(log, ElementsAreArray(expected.ClosedBy(kBreakBanner)));
    }

    SiteTree m_tree;
    std::map<std::string, std::string> m_pages;  // full path, path below the tree
    std::vector<std::string> m_walk;
    KelvaneApp m_app;
};

TEST_F(RunningScanTest, StartIsIgnoredAndStopEndsTheWalkAfterThePageInHand) {
    StartAndWaitUntilUnderWay();
    m_app.Click(kStartButton);
    m_app.Click(kStopButton);
    ExpectOneStoppedScan(m_app.WaitForLog(HasReports(1)));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(m_app.Control(kLogList)) != FALSE; }))
        << "the log stays hidden after a stopped scan";
}

TEST_F(RunningScanTest, ExitStopsTheScanAndClosesTheWindowOnlyOnceTheScanHasEnded) {
    StartAndWaitUntilUnderWay();
    m_app.Click(kExitButton);
    ExpectOneStoppedScan(m_app.WaitForLog(HasReports(1)));
    EXPECT_TRUE(IsWindowVisible(m_app.Window()));

    // Enter in a field chooses Exit, the default button.
    EXPECT_TRUE(m_app.EndsAfter([&] { m_app.PressKey(kSignatureEdit, VK_RETURN); }));
    DWORD exitCode = 1;
    EXPECT_TRUE(m_app.WaitForExit(exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(RunningScanTest, AboutBoxOpensAndClosesWhileTheScanGoesOn) {
    StartAndWaitUntilUnderWay();
    m_app.PostSysCommand(kAboutCommand);
    const HWND about = m_app.WaitForOtherWindow();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(about), kAboutCaption);
    const std::size_t linesWithBoxOpen = m_app.Log().size();
    EXPECT_TRUE(WaitUntil([&] { return m_app.Log().size() > linesWithBoxOpen + 10; }))
        << "the log stood still while the About box was open";

    PostTo(GetDlgItem(about, IDOK), BM_CLICK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    m_app.Click(kStopButton);
    ExpectOneStoppedScan(m_app.WaitForLog(HasReports(1)));
}

// Ways to close the window at once, during a scan.
struct CloseWay {
    const char* m_name;
    void (*m_close)(const KelvaneApp& app);
};

void PrintTo(const CloseWay& way, std::ostream* out) {
    *out << way.m_name;
}

class CloseDuringScanTest : public RunningScanTest,
                            public ::testing::WithParamInterface<CloseWay> {};

TEST_P(CloseDuringScanTest, EndsTheProcessWithEveryPageWholeAndNoTemporaryFile) {
    StartAndWaitUntilUnderWay();
    GetParam().m_close(m_app);
    DWORD exitCode = 1;
    ASSERT_TRUE(m_app.WaitForExit(exitCode)) << "still running after the window was closed";
    EXPECT_EQ(exitCode, 0u);
    // Closing does not stop the scan: the program ends it on its way out, so
    // once the window no longer takes its lines it may even reach the end.
    ExpectCleanedFromTheStartOfTheWalk();
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CloseDuringScanTest,
    ::testing::Values(
        CloseWay{"CloseBox", [](const KelvaneApp& app) { app.PostSysCommand(SC_CLOSE); }},
        CloseWay{"Escape", [](const KelvaneApp& app) { app.PressKey(kFileTypesEdit, VK_ESCAPE); }}),
    [](const ::testing::TestParamInfo<CloseWay>& info) { return info.param.m_name; });

}  // namespace
