// The real Kelvane window, driven as a user drives it: as it opens, its boxes, scans of a small
// site, and a scan of a large one interrupted in every way the window offers.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "core/log_text.h"
#include "gui/kelvane_app.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;
using App = const KelvaneApp&;

constexpr char kDefaultSignature[] = "Rem I am sorry! happy time";

// Web pages as their authors wrote them, with the virus's block appended, and as a scan leaves
// them: every line followed by a single line feed.
std::string Page(const std::string& body, const std::string& eol) {
    return "<html>" + eol + "<body>" + body + "</body>" + eol + "</html>" + eol;
}
std::string Block(const std::string& eol) {
    return "<script language=VBScript>" + eol + "On Error Resume Next" + eol + kDefaultSignature +
           eol + "</script>" + eol;
}
std::string Infected(const std::string& body) {
    return Page(body, "\r\n") + Block("\r\n");
}
std::string Cleaned(const std::string& body) {
    return Page(body, "\n");
}

// A file of a site: its bytes, the blocks that a scan removes from it (kNotMatched where no mask
// matches it: it is never logged) and its bytes after the scan.
struct SiteFile {
    std::string m_before;
    int m_blocks;
    std::string m_after;
};
constexpr int kNotMatched = -1;

// Checks the box that has opened over the window: owned by it, which it then keeps disabled, or
// of no owner; its caption and, where given, its text as a message box's. whileOpen runs while
// it is open; then OK closes it, and the window is enabled.
void ExpectBox(const KelvaneApp& app, bool owned, const char* caption, const char* text,
               const std::function<void()>& whileOpen) {
    const HWND box = app.WaitForWindow([&](HWND window) { return window != app.Window(); });
    ASSERT_NE(box, nullptr) << "no box appeared";
    EXPECT_EQ(GetWindow(box, GW_OWNER), owned ? app.Window() : nullptr);
    EXPECT_EQ(IsWindowEnabled(app.Window()) == FALSE, owned);
    EXPECT_EQ(WindowText(box), caption);
    if (text != nullptr) {
        EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), text);
    }
    whileOpen();
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(app.Window()) != FALSE; }));
}

// The window, and a site on the sandbox's drive C:, where a scan of every drive finds it.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        fs::remove_all(kSite);
        fs::create_directory(kSite);
    }

    static std::string Path(const std::string& relative) {
        return (fs::path(kSite) / relative).string();
    }

    // Writes the file, and its folders, below the site.
    void Add(const std::string& relative, const SiteFile& file) {
        fs::create_directories(fs::path(Path(relative)).parent_path());
        std::ofstream(Path(relative), std::ios::binary) << file.m_before;
        m_files[Path(relative)] = file;
    }

    // Every file of the site in the order in which the platform lists them, folders walked
    // where they are met: the order of a scan.
    static std::vector<std::string> WalkOrder() {
        std::vector<std::string> files;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kSite)) {
            if (!entry.is_directory()) {
                files.push_back(entry.path().string());
            }
        }
        return files;
    }

    // The log of a scan of drive C: that walks the files in walk, closed by closing.
    LogLines ScanLog(const std::vector<std::string>& walk,
                     const char* closing = LogText::kEndBanner) const {
        LogLines log{LogText::DriveBanner("C:\\")};
        int checked = 0;
        int treated = 0;
        for (const std::string& path : walk) {
            const int blocks = m_files.at(path).m_blocks;
            if (blocks != kNotMatched) {
                log.push_back(path);
                log.insert(log.end(), static_cast<std::size_t>(blocks), LogText::kRemoveOk);
                ++checked;
                treated += blocks > 0 ? 1 : 0;
            }
        }
        log.insert(log.end(), {closing, LogText::kReportHeading, LogText::CheckedCount(checked),
                               LogText::TreatedCount(treated), LogText::ErrorCount(0)});
        return log;
    }

    static constexpr char kSite[] = "C:\\site";
    std::map<std::string, SiteFile> m_files;  // by full path
    KelvaneApp m_app;
};

// The file types and an empty log are those that the site's scan (SiteTest) starts with; its
// blocks would match shorter strings too.
TEST_F(WindowTest, OpensWithTheDefaultsExitFocusedAndTheTabOrder) {
    EXPECT_EQ(WindowText(m_app.Control(IDC_SIGNATURE)), kDefaultSignature);
    EXPECT_EQ(WindowText(m_app.Control(IDC_FIRST_STRING)), "<script language");
    EXPECT_EQ(WindowText(m_app.Control(IDC_LAST_STRING)), "</script>");
    EXPECT_EQ(SendTo(m_app.Control(IDC_REMOVE_ON_ERROR), BM_GETCHECK), BST_CHECKED);
    const LONG listStyle = GetWindowLongA(m_app.Control(IDC_LOG), GWL_STYLE);
    EXPECT_EQ(listStyle & (LVS_TYPEMASK | LVS_NOCOLUMNHEADER), LVS_REPORT | LVS_NOCOLUMNHEADER);

    EXPECT_EQ(SendTo(m_app.Window(), DM_GETDEFID), MAKELRESULT(IDOK, DC_HASDEFID));
    EXPECT_EQ(GetWindowLongA(m_app.Control(IDOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    EXPECT_TRUE(WaitUntil([&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(m_app.Window(), nullptr), &thread) &&
               thread.hwndFocus != nullptr;
    }));
    EXPECT_EQ(thread.hwndFocus, m_app.Control(IDOK));

    // Tab visits the controls in this order and comes back to Exit.
    std::vector<int> order;
    HWND control = m_app.Control(IDOK);
    do {
        order.push_back(GetDlgCtrlID(control));
        control = GetNextDlgTabItem(m_app.Window(), control, FALSE);
    } while (control != nullptr && control != m_app.Control(IDOK) && order.size() < 20);
    EXPECT_THAT(order, ElementsAre(IDOK, IDC_STOP, IDC_START, IDC_SIGNATURE, IDC_FIRST_STRING,
                                   IDC_LAST_STRING, IDC_FILE_TYPES, IDC_HELP_BUTTON, IDC_WEB_LINK,
                                   IDC_LOG, IDC_REMOVE_ON_ERROR));
}

// The small site: several line ends, an upper-case extension, two blocks in one file, a last
// line without a line end, a folder whose name looks like a page, and files of other types that
// carry the block too.
class SiteTest : public WindowTest {
protected:
    SiteTest() {
        const std::string old = Page("old", "\n") + Block("\n");
        Add("index.htm", {Infected("home"), 1, Cleaned("home")});
        Add("news\\today.html", {Page("today", "\n") + Block("\n"), 1, Cleaned("today")});
        Add("news\\archive\\old.HTA", {old.substr(0, old.size() - 1), 1, Cleaned("old")});
        Add("scripts\\run.vbs", {Infected("run") + Block("\r\n"), 2, Cleaned("run")});
        Add("pages.htm\\contact.htm", {Page("contact", "\n") + Block("\n"), 1, Cleaned("contact")});
        Add("about.htt", {Page("about", "\r\n"), 0, Page("about", "\r\n")});
        Add("readme.txt", {Infected("readme"), kNotMatched, Infected("readme")});
        Add("index.htm.bak", {Infected("backup"), kNotMatched, Infected("backup")});
    }

    // Scans the site; the window logs it after the lines of the scans before. Rewriting a file
    // may change the order in which its folder lists its files, so the order is taken before.
    LogLines ExpectSiteScanned(const LogLines& before = {}) {
        LogLines expected = before;
        const LogLines scan = ScanLog(WalkOrder());
        expected.insert(expected.end(), scan.begin(), scan.end());
        m_app.StartScan();
        const LogLines log = m_app.WaitForLog(
            [&](const LogLines& lines) { return lines.size() >= expected.size(); });
        EXPECT_THAT(log, ElementsAreArray(expected));
        for (const auto& [path, file] : m_files) {
            EXPECT_EQ(ReadBytes(path), file.m_after) << path;
        }
        return log;
    }
};

// Each new line is scrolled into view, and once the scan has ended the log is shown for good:
// the report's last line is the last row the list shows, though the log is longer than the
// list is high. While a scan runs the log is drawn only now and then.
TEST_F(SiteTest, LogsEveryMatchingFileInWalkOrderCleansTheInfectedAndScansAgainFromZero) {
    const LogLines first = ExpectSiteScanned();
    const HWND list = m_app.Control(IDC_LOG);
    const auto rows = static_cast<std::size_t>(SendTo(list, LVM_GETCOUNTPERPAGE));
    ASSERT_LT(rows, first.size()) << "the log must be longer than the list is high";
    EXPECT_TRUE(WaitUntil(
        [&] {
            return static_cast<std::size_t>(SendTo(list, LVM_GETTOPINDEX)) + rows == first.size() &&
                   IsWindowVisible(list);
        },
        std::chrono::seconds(2)))
        << "the log is hidden after the scan, or not scrolled to its end";
    EXPECT_FALSE(WaitUntil([&] { return !IsWindowVisible(list); }, std::chrono::seconds(1)))
        << "the log is hidden again after the scan";

    // The next scan takes the fields anew and counts from zero: the .htm files, cleaned already,
    // are logged and counted again, and nothing is infected.
    SendTo(m_app.Control(IDC_FILE_TYPES), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("*.htm"));
    for (auto& [path, file] : m_files) {
        file.m_blocks =
            path == Path("index.htm") || path == Path("pages.htm\\contact.htm") ? 0 : kNotMatched;
    }
    ExpectSiteScanned(first);
}

// A box and how it is opened; its text null where it is not a message box.
struct BoxCase {
    const char* m_name;
    void (*m_open)(App app);
    bool m_owned;
    const char* m_caption;
    const char* m_text;
};

class BoxTest : public SiteTest, public ::testing::WithParamInterface<BoxCase> {};

// Start refuses an empty signature, and a blank one, found in nearly every line as an empty one
// is in every line, without touching a file. Help has no help engine in the sandbox. A box
// owned by the window keeps it from being used; one of no owner leaves it usable meanwhile.
// Either way the next scan is whole: had a refused Start begun a scan, it would show.
TEST_P(BoxTest, OpensOverTheWindowAndLeavesTheNextScanWhole) {
    const BoxCase& box = GetParam();
    box.m_open(m_app);
    ExpectBox(m_app, box.m_owned, box.m_caption, box.m_text, [&] {
        EXPECT_THAT(m_app.Log(), IsEmpty());
        EXPECT_EQ(ReadBytes(Path("index.htm")), Infected("home"));
        if (!box.m_owned) {
            ExpectSiteScanned();
        }
    });
    if (box.m_owned) {
        SendTo(m_app.Control(IDC_SIGNATURE), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(kDefaultSignature));
        ExpectSiteScanned();
    }
}

void StartWithSignature(App app, const char* signature) {
    SendTo(app.Control(IDC_SIGNATURE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(signature));
    PostMessageA(app.Control(IDC_START), BM_CLICK, 0, 0);
}

// The system menu ends with a separator and About, which opens the box.
void OpenAboutFromTheSystemMenu(App app) {
    EXPECT_THAT(
        app.SystemMenu(),
        ::testing::EndsWith("0\t" + std::to_string(MF_SEPARATOR | MF_GRAYED | MF_DISABLED) +
                            "\t\n" + std::to_string(IDM_ABOUTBOX) + "\t0\t&About Kelvane...\n"));
    PostMessageA(app.Window(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
}

constexpr char kEmptySignature[] = "The Unique Virus Signature must not be empty.";

INSTANTIATE_TEST_SUITE_P(
    Boxes, BoxTest,
    ::testing::Values(
        BoxCase{"EmptySignature", [](App app) { StartWithSignature(app, ""); }, true, "Kelvane",
                kEmptySignature},
        BoxCase{"BlankSignature", [](App app) { StartWithSignature(app, " \t "); }, true, "Kelvane",
                kEmptySignature},
        BoxCase{"HelpButton",
                [](App app) { PostMessageA(app.Control(IDC_HELP_BUTTON), BM_CLICK, 0, 0); }, false,
                "Error",
                "Inside help system error.\n Help window is not created. \nOnline help opens."},
        BoxCase{"F1", [](App app) { app.PressKey(IDC_SIGNATURE, VK_F1); }, true, "Kelvane",
                "Failed to launch help."},
        BoxCase{"AboutInTheSystemMenu", OpenAboutFromTheSystemMenu, true, "About Kelvane",
                nullptr}),
    [](const auto& info) { return info.param.m_name; });

// A way to interrupt a scan; closing the window ends the program, the others only the scan.
struct Interruption {
    const char* m_name;
    void (*m_act)(App app);
    bool m_closes;
};

// A site large enough that a scan lasts far longer than the test takes to act on it: under
// Wine on Xvfb the window logs some 30 lines a second.
class RunningScanTest : public WindowTest, public ::testing::WithParamInterface<Interruption> {
protected:
    RunningScanTest() {
        for (int page = 0; page < 400; ++page) {
            const std::string name =
                "folder" + std::to_string(page / 100) + "\\page" + std::to_string(page) + ".htm";
            Add(name, {Infected(name), 1, Cleaned(name)});
        }
        m_walk = WalkOrder();
    }

    // Each page is still there, either as it was or cleaned whole, and nothing else is in the
    // site, no temporary file in particular; the pages first met by the walk were cleaned and
    // the rest not touched. Returns how many were cleaned.
    std::size_t ExpectCleanedFromTheStartOfTheWalk() const {
        EXPECT_THAT(WalkOrder(), UnorderedElementsAreArray(m_walk));
        std::size_t cleaned = 0;
        for (const std::string& path : m_walk) {
            const std::string bytes = ReadBytes(path);
            if (path == m_walk[cleaned] && bytes == m_files.at(path).m_after) {
                ++cleaned;
            } else {
                EXPECT_EQ(bytes, m_files.at(path).m_before) << "half treated or out of turn";
            }
        }
        EXPECT_GE(cleaned, static_cast<std::size_t>(kUnderWay));
        return cleaned;
    }

    // Pages cleaned before the test acts: the scan is under way.
    static constexpr int kUnderWay = 5;
    std::vector<std::string> m_walk;
};

TEST_P(RunningScanTest, EndsTheWalkAfterThePageInHandAndTheProgramCleanly) {
    m_app.StartScan();
    m_app.WaitForLog([](const LogLines& log) {
        return std::count(log.begin(), log.end(), LogText::kRemoveOk) >= kUnderWay;
    });
    GetParam().m_act(m_app);
    if (GetParam().m_closes) {
        // Closing does not stop the scan: the program ends it on its way out, so once the window
        // no longer takes its lines it may even reach the end.
        ASSERT_EQ(m_app.ExitCode(), 0) << "still running after the window was closed";
        ExpectCleanedFromTheStartOfTheWalk();
        return;
    }
    // One scan, stopped during the walk, which finished the page in hand.
    const LogLines log = m_app.WaitForLog([](const LogLines& lines) {
        return !lines.empty() && lines.back() == LogText::ErrorCount(0);
    });
    const std::size_t cleaned = ExpectCleanedFromTheStartOfTheWalk();
    EXPECT_LT(cleaned, m_walk.size()) << "the scan ended before the test acted";
    EXPECT_THAT(log, ElementsAreArray(ScanLog({m_walk.begin(), m_walk.begin() + cleaned},
                                              LogText::kBreakBanner)));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(m_app.Control(IDC_LOG)) != FALSE; }))
        << "the log stays hidden after a stopped scan";
    EXPECT_TRUE(IsWindowVisible(m_app.Window()));
    // Enter in a field chooses Exit, the default button.
    EXPECT_TRUE(m_app.EndsAfter([&] { m_app.PressKey(IDC_SIGNATURE, VK_RETURN); }));
    EXPECT_EQ(m_app.ExitCode(), 0);
}

void ClickStartThenStop(App app) {
    SendTo(app.Control(IDC_START), BM_CLICK);
    SendTo(app.Control(IDC_STOP), BM_CLICK);
}

// The log goes on growing while the About box is open.
void OpenAboutThenStop(App app) {
    OpenAboutFromTheSystemMenu(app);
    ExpectBox(app, true, "About Kelvane", nullptr, [&] {
        const std::size_t lines = app.Log().size();
        EXPECT_TRUE(WaitUntil([&] { return app.Log().size() > lines + 10; }))
            << "the log stood still while the About box was open";
    });
    SendTo(app.Control(IDC_STOP), BM_CLICK);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, RunningScanTest,
    ::testing::Values(
        Interruption{"StartIgnoredThenStop", ClickStartThenStop, false},
        Interruption{"Exit", [](App app) { SendTo(app.Control(IDOK), BM_CLICK); }, false},
        Interruption{"AboutBoxThenStop", OpenAboutThenStop, false},
        Interruption{"CloseBox",
                     [](App app) { PostMessageA(app.Window(), WM_SYSCOMMAND, SC_CLOSE, 0); }, true},
        Interruption{"Escape", [](App app) { app.PressKey(IDC_FILE_TYPES, VK_ESCAPE); }, true}),
    [](const auto& info) { return info.param.m_name; });

}  // namespace
