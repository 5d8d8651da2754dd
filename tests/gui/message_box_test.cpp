// The program's message boxes: Start refusing an empty or blank signature, and help without a help
// engine (the sandbox has none). Each box is checked for its owner, which decides whether the
// main window can be used while it is open.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "gui/kelvane_app.h"
#include "gui/remote_window.h"
#include "gui/scan_log.h"
#include "gui/site_tree.h"
#include "gui/web_pages.h"

namespace {

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// The id of a message box's text.
constexpr int kMessageBoxText = 0xFFFF;

class MessageBoxTest : public ::testing::Test {
protected:
    MessageBoxTest() : m_page(m_tree.Write("index.htm", Infected("home", "\r\n"))) {}

    // Opens the box with open, checks its owner and more, and dismisses it with OK.
    void ExpectBox(HWND owner, const std::function<void()>& open,
                   const std::function<void(HWND)>& check) {
        open();
        const HWND box = m_app.WaitForOtherWindow();
        ASSERT_NE(box, nullptr) << "no box appeared";
        EXPECT_EQ(GetWindow(box, GW_OWNER), owner);
        check(box);
        PostTo(GetDlgItem(box, IDOK), BM_CLICK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    }

    // A scan of the site, the page cleaned.
    void ExpectScanOfThePage() const {
        m_app.StartScan();
        ScanLog expected;
        expected.AddFile(m_page, 1);
        EXPECT_THAT(m_app.WaitForLog(HasReports(1)), ElementsAreArray(expected.Complete()));
        EXPECT_EQ(ReadWholeFile(m_page), Cleaned("home"));
    }

    SiteTree m_tree;
    std::string m_page;
    KelvaneApp m_app;
};

// A signature of blanks is found in nearly every line, as an empty one is in every line.
TEST_F(MessageBoxTest, EmptyOrBlankSignatureIsRefusedAtStartByABoxOverTheWindow) {
    for (const char* signature : {"", " \t "}) {
        SCOPED_TRACE(::testing::PrintToString(signature));
        m_app.SetText(kSignatureEdit, signature);
        ExpectBox(
            m_app.Window(), [&] { m_app.PostClick(kStartButton); },
            [&](HWND box) {
                EXPECT_EQ(WindowText(GetDlgItem(box, kMessageBoxText)),
                          "The Unique Virus Signature must not be empty.");
                EXPECT_FALSE(IsWindowEnabled(m_app.Window()));
                EXPECT_THAT(m_app.Log(), IsEmpty());
            });
        EXPECT_TRUE(IsWindowEnabled(m_app.Window()));
        EXPECT_EQ(ReadWholeFile(m_page), Infected("home", "\r\n"));
    }

    // Had the refused Start begun a scan, this one would be ignored or follow it.
    m_app.SetText(kSignatureEdit, "Rem I am sorry! happy time");
    ExpectScanOfThePage();
}

TEST_F(MessageBoxTest, HelpWithoutAHelpEngineShowsAnErrorBoxThatLeavesTheWindowUsable) {
    ExpectBox(
        nullptr, [&] { m_app.PostClick(kHelpButton); },
        [&](HWND box) {
            EXPECT_EQ(WindowText(box), "Error");
            EXPECT_EQ(
                WindowText(GetDlgItem(box, kMessageBoxText)),
                "Inside help system error.\n Help window is not created. \nOnline help opens.");
            EXPECT_TRUE(IsWindowEnabled(m_app.Window()));
            ExpectScanOfThePage();
        });
    EXPECT_TRUE(IsWindowEnabled(m_app.Window()));
}

TEST_F(MessageBoxTest, F1WithoutAHelpEngineShowsAFailureBoxOverTheWindow) {
    ExpectBox(
        m_app.Window(), [&] { m_app.PressKey(kSignatureEdit, VK_F1); },
        [&](HWND box) {
            EXPECT_EQ(WindowText(box), "Kelvane");
            EXPECT_EQ(WindowText(GetDlgItem(box, kMessageBoxText)), "Failed to launch help.");
            EXPECT_FALSE(IsWindowEnabled(m_app.Window()));
        });
    EXPECT_TRUE(IsWindowEnabled(m_app.Window()));
}

}  // namespace
