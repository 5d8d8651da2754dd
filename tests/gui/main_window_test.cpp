// The main window as it opens, its keyboard order, its system menu and the About box.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "gui/kelvane_app.h"
#include "gui/remote_window.h"

namespace {

using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::IsEmpty;
using ::testing::SizeIs;

constexpr char kAboutCaption[] = "About Kelvane";

class MainWindowTest : public ::testing::Test {
protected:
    KelvaneApp m_app;
};

TEST_F(MainWindowTest, OpensWithTheDefaultSettingsAndExitFocused) {
    EXPECT_EQ(m_app.Text(kSignatureEdit), "Rem I am sorry! happy time");
    EXPECT_EQ(m_app.Text(kFirstStringEdit), "<script language");
    EXPECT_EQ(m_app.Text(kLastStringEdit), "</script>");
    EXPECT_EQ(m_app.Text(kFileTypesEdit), "*.htm *.html *.hta *.vbs *.htt");
    EXPECT_TRUE(m_app.IsChecked(kRemoveOnErrorCheck));
    EXPECT_THAT(m_app.Log(), IsEmpty());

    const LONG listStyle = GetWindowLongA(m_app.Control(kLogList), GWL_STYLE);
    EXPECT_EQ(listStyle & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(listStyle & LVS_NOCOLUMNHEADER, LVS_NOCOLUMNHEADER);

    const LRESULT defaultButton = SendTo(m_app.Window(), DM_GETDEFID);
    EXPECT_EQ(HIWORD(defaultButton), DC_HASDEFID);
    EXPECT_EQ(LOWORD(defaultButton), kExitButton);
    ASSERT_TRUE(WaitUntil([&] { return m_app.FocusedControl() != 0; }));
    EXPECT_EQ(m_app.FocusedControl(), kExitButton);
}

TEST_F(MainWindowTest, TabVisitsTheControlsInOrderAndComesBackToExit) {
    std::vector<int> order;
    HWND control = m_app.Control(kExitButton);
    do {
        order.push_back(GetDlgCtrlID(control));
        control = GetNextDlgTabItem(m_app.Window(), control, FALSE);
    } while (control != nullptr && control != m_app.Control(kExitButton) && order.size() < 20);
    EXPECT_THAT(order, ElementsAre(kExitButton, kStopButton, kStartButton, kSignatureEdit,
                                   kFirstStringEdit, kLastStringEdit, kFileTypesEdit, kHelpButton,
                                   kWebLinkButton, kLogList, kRemoveOnErrorCheck));
}

TEST_F(MainWindowTest, SystemMenuEndsWithTheAboutEntry) {
    const std::vector<MenuEntry> menu = m_app.SystemMenu();
    ASSERT_THAT(menu, SizeIs(::testing::Ge(2u)));
    const MenuEntry& separator = menu[menu.size() - 2];
    const MenuEntry& about = menu.back();
    EXPECT_EQ(separator.m_state & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(about.m_id, kAboutCommand);
    EXPECT_EQ(about.m_text, "&About Kelvane...");
    EXPECT_EQ(about.m_state & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED | MF_POPUP), 0u);
}

TEST_F(MainWindowTest, AboutCommandOpensTheAboutBoxOverTheWindowUntilOk) {
    m_app.PostSysCommand(kAboutCommand);
    const HWND about = m_app.WaitForOtherWindow();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(about), kAboutCaption);
    EXPECT_EQ(GetWindow(about, GW_OWNER), m_app.Window());
    EXPECT_FALSE(IsWindowEnabled(m_app.Window()));

    PostTo(GetDlgItem(about, IDOK), BM_CLICK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(m_app.Window()) != 0; }));
    EXPECT_THAT(m_app.Log(), IsEmpty());
}

}  // namespace
