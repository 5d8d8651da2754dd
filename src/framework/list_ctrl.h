#pragma once

#include <windows.h>

// A list-view control of a dialog; every operation is one message to the control.
class CListCtrl {
public:
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // A column with only a format and a caption.
    int InsertColumn(int nCol, const char* lpszColumnHeading, int nFormat);
    bool SetColumnWidth(int nCol, int cx);
    // An item with only a text, which the control copies.
    int InsertItem(int nItem, const char* lpszItem);
    bool GetItemRect(int nItem, RECT* lpRect, UINT nCode) const;
    bool Scroll(SIZE size);
    int GetItemCount() const;

    // With redraw off the control takes every change but paints none of them,
    // and is not drawn at all: as Windows' own handling of WM_SETREDRAW
    // does, the window counts as hidden until redraw is on again, so that
    // scrolling it moves no pixels (Wine's list view would otherwise scroll
    // and repaint its window on every scroll). It takes no mouse input
    // meanwhile.
    void SetRedraw(bool redraw);
    // Paints the whole control at once.
    void RedrawNow();

private:
    HWND m_hWnd = nullptr;
};
