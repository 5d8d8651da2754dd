#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "ui/scan_dlg.h"

namespace {

// One item height plus a pixel per earlier line always reaches the end of the list. A very
// long log would overflow an int; any amount past the end scrolls just as far.
int ScrollToEndAmount(const RECT& item, int32_t linesBefore) {
    const int64_t amount = (static_cast<int64_t>(item.bottom) - item.top + 1) * linesBefore;
    return static_cast<int>(std::clamp<int64_t>(amount, INT_MIN, INT_MAX));
}

}  // namespace

void CScanDlg::SetUpLogList() {
    m_listLog.InsertColumn(0, "ReortStr", LVCFMT_LEFT);
    m_listLog.SetColumnWidth(0, 2000);
}

// The worker sends each message and waits for the window's thread, so lines arrive in order
// and the item exists before its rectangle is asked for.
void CScanDlg::AddLogLine(const std::string& line) {
    const int32_t n = m_nLogLines;
    m_listLog.InsertItem(n, line.c_str());
    RECT item{};
    m_listLog.GetItemRect(n, &item, LVIR_BOUNDS);
    m_listLog.Scroll(SIZE{0, ScrollToEndAmount(item, n)});
    m_nLogLines = n + 1;
}
