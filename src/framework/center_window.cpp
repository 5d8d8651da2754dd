#include "framework/center_window.h"

#include <algorithm>

namespace {

// A hidden or minimised owner is no place to centre on.
HWND VisibleOwner(HWND hWnd) {
    const HWND hOwner = GetWindow(hWnd, GW_OWNER);
    if (hOwner == nullptr || !IsWindowVisible(hOwner) || IsIconic(hOwner)) {
        return nullptr;
    }
    return hOwner;
}

RECT WorkAreaOf(HWND hWnd) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoA(MonitorFromWindow(hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return monitor.rcWork;
}

// Where a length centred on [centreFrom, centreTo) starts, kept inside [areaFrom, areaTo).
LONG CentredStart(LONG length, LONG centreFrom, LONG centreTo, LONG areaFrom, LONG areaTo) {
    const LONG start = (centreFrom + centreTo) / 2 - length / 2;
    return std::max(areaFrom, std::min(start, areaTo - length));
}

}  // namespace

void CenterWindow(HWND hWnd) {
    const HWND hOwner = VisibleOwner(hWnd);
    const RECT area = WorkAreaOf(hOwner != nullptr ? hOwner : hWnd);
    RECT centre = area;
    if (hOwner != nullptr) {
        GetWindowRect(hOwner, &centre);
    }
    RECT window{};
    GetWindowRect(hWnd, &window);
    const LONG x =
        CentredStart(window.right - window.left, centre.left, centre.right, area.left, area.right);
    const LONG y =
        CentredStart(window.bottom - window.top, centre.top, centre.bottom, area.top, area.bottom);
    SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
