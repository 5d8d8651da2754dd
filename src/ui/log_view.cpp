#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "ui/scan_dlg.h"

namespace {

constexpr UINT_PTR kLogPaintTimer = 1;
constexpr DWORD kLogPaintIntervalMs = 250;

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

// The worker waits on every line it sends while the window's thread paints, and under Wine a
// paint of the list takes as long as the treatment of a file: painting once a line made the log,
// not the files, the cost of a scan. So while a scan runs the list takes its lines unpainted, and
// counts as hidden so that its scrolls move no pixels either, and is painted four times a second,
// and once more when the scan has ended.
void CScanDlg::PaintLogPeriodically() {
    m_listLog.SetRedraw(false);
    SetTimer(m_hWnd, kLogPaintTimer, kLogPaintIntervalMs, nullptr);
}

// The worker cannot send a line while this runs, so no line goes unpainted.
void CScanDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != kLogPaintTimer) {
        return;
    }
    m_listLog.SetRedraw(true);
    ScrollLogToEnd();
    m_listLog.RedrawNow();
    if (IsScanRunning()) {
        m_listLog.SetRedraw(false);
    } else {
        KillTimer(m_hWnd, kLogPaintTimer);
    }
}

// A list that does not redraw may not take its new scroll range either (Wine's does not), and
// then the worker's scrolls stop short of the end; so the end is scrolled to again here. The
// list's own count is read, since the worker may be changing its count of lines right now.
void CScanDlg::ScrollLogToEnd() {
    const int lines = m_listLog.GetItemCount();
    if (lines > 0) {
        ScrollLogToLine(lines - 1);
    }
}

void CScanDlg::ScrollLogToLine(int32_t line) {
    RECT item{};
    m_listLog.GetItemRect(line, &item, LVIR_BOUNDS);
    m_listLog.Scroll(SIZE{0, ScrollToEndAmount(item, line)});
}

// A scan may outlive the window (Cancel does not wait for it): its last lines then go nowhere,
// never to a window handle that has been destroyed and may since name another window.
void CScanDlg::AddLogLine(const std::string& line) {
    EnterCriticalSection(&m_logLock);
    if (!m_bLogClosed) {
        AppendToLog(line);
    }
    LeaveCriticalSection(&m_logLock);
}

// Before the window is destroyed. The worker holds the lock while it waits for this thread to
// take its messages, so this thread takes them while it waits for the lock.
void CScanDlg::CloseLog() {
    while (!TryEnterCriticalSection(&m_logLock)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    m_bLogClosed = true;
    LeaveCriticalSection(&m_logLock);
}

// The worker sends each message and waits for the window's thread, so lines arrive in order
// and the item exists before its rectangle is asked for.
void CScanDlg::AppendToLog(const std::string& line) {
    const int32_t n = m_nLogLines;
    m_listLog.InsertItem(n, line.c_str());
    ScrollLogToLine(n);
    m_nLogLines = n + 1;
}
