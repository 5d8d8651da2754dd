#include "framework/help_key.h"

#include "framework/dialog.h"
#include "framework/framework_res.h"
#include "framework/win_app.h"

namespace {

bool IsKeyDown(int virtualKey) {
    return GetKeyState(virtualKey) < 0;
}

bool IsPlainF1(const MSG& msg) {
    return msg.message == WM_KEYDOWN && msg.wParam == VK_F1 && !IsKeyDown(VK_SHIFT) &&
           !IsKeyDown(VK_CONTROL) && !IsKeyDown(VK_MENU);
}

HWND MainWindow() {
    const CWinApp* app = AfxGetApp();
    return app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
}

// A dialog's modal loop offers every message to this filter before the dialog manager sees it;
// true swallows the key.
LRESULT CALLBACK FilterHelpKey(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    const HWND hMainWnd = MainWindow();
    if (code == MSGF_DIALOGBOX && IsPlainF1(*msg) && hMainWnd != nullptr) {
        SendMessageA(hMainWnd, WM_COMMAND, ID_HELP, 0);
        return TRUE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

CHelpKeyFilter::CHelpKeyFilter()
    : m_hHook(SetWindowsHookExA(WH_MSGFILTER, FilterHelpKey, nullptr, GetCurrentThreadId())) {}

CHelpKeyFilter::~CHelpKeyFilter() {
    if (m_hHook != nullptr) {
        UnhookWindowsHookEx(m_hHook);
    }
}
