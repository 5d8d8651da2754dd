#include "framework/list_ctrl.h"

#include <commctrl.h>

int CListCtrl::InsertColumn(int nCol, const char* lpszColumnHeading, int nFormat) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_TEXT;
    column.fmt = nFormat;
    column.pszText = const_cast<char*>(lpszColumnHeading);
    return static_cast<int>(SendMessageA(m_hWnd, LVM_INSERTCOLUMNA, static_cast<WPARAM>(nCol),
                                         reinterpret_cast<LPARAM>(&column)));
}

bool CListCtrl::SetColumnWidth(int nCol, int cx) {
    return SendMessageA(m_hWnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nCol), MAKELPARAM(cx, 0)) !=
           0;
}

int CListCtrl::InsertItem(int nItem, const char* lpszItem) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.pszText = const_cast<char*>(lpszItem);
    return static_cast<int>(
        SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListCtrl::GetItemRect(int nItem, RECT* lpRect, UINT nCode) const {
    lpRect->left = static_cast<LONG>(nCode);
    return SendMessageA(m_hWnd, LVM_GETITEMRECT, static_cast<WPARAM>(nItem),
                        reinterpret_cast<LPARAM>(lpRect)) != 0;
}

bool CListCtrl::Scroll(SIZE size) {
    return SendMessageA(m_hWnd, LVM_SCROLL, static_cast<WPARAM>(size.cx),
                        static_cast<LPARAM>(size.cy)) != 0;
}

int CListCtrl::GetItemCount() const {
    return static_cast<int>(SendMessageA(m_hWnd, LVM_GETITEMCOUNT, 0, 0));
}

// The default handling shows or hides the window for drawing; the control's own keeps its
// flag. Shown before the control repaints, hidden after it stopped.
void CListCtrl::SetRedraw(bool redraw) {
    if (redraw) {
        DefWindowProcA(m_hWnd, WM_SETREDRAW, TRUE, 0);
    }
    SendMessageA(m_hWnd, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
    if (!redraw) {
        DefWindowProcA(m_hWnd, WM_SETREDRAW, FALSE, 0);
    }
}

void CListCtrl::RedrawNow() {
    InvalidateRect(m_hWnd, nullptr, TRUE);
    UpdateWindow(m_hWnd);
}
