#include "framework/win_app.h"

#include <commctrl.h>

#include "framework/dialog.h"
#include "framework/framework_res.h"
#include "framework/help.h"
#include "framework/help_key.h"
#include "framework/module_names.h"
#include "framework/resource_string.h"
#include "framework/wait_cursor.h"

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

HINSTANCE AfxGetInstanceHandle() {
    return g_pApp != nullptr ? g_pApp->m_hInstance : nullptr;
}

int AfxWinMain(CWinApp& app, HINSTANCE hInstance) {
    g_pApp = &app;
    app.StartUp(hInstance);
    const CHelpKeyFilter helpKey;
    // A dialog application runs its window modally in InitInstance and returns false: no
    // message loop of the application's own follows.
    app.InitInstance();
    return 0;
}

// No system message box for a drive without a medium or a critical error: the scan walks
// every drive and must not stop to ask.
void CWinApp::StartUp(HINSTANCE hInstance) {
    SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    m_hInstance = hInstance;
    const std::string programPath = ModuleFileName(hInstance);
    m_strExeName = BaseNameOf(programPath);
    m_strAppName = m_strExeName;
    m_strHelpFilePath = WithExtension(programPath, ".HLP");
}

// Every dialog has been drawn in 3D since Windows 95 (DS_3DLOOK is implied), so the templates
// keep their styles; the manifest selects Common Controls 6 for the current visual style, and
// the list-view class must be registered before a dialog creates its list.
void CWinApp::RegisterCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
}

void CWinApp::OnHelp() {
    const HWND hMainWnd = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
    const DWORD context = FindHelpContext(hMainWnd);
    if (context != 0) {
        ShowHelpContext(context);
    }
}

void CWinApp::ShowHelpContext(DWORD dwContext) {
    const HWND hMainWnd = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
    BOOL started = FALSE;
    {
        const CWaitCursor wait;
        started = WinHelpA(hMainWnd, m_strHelpFilePath.c_str(), HELP_CONTEXT, dwContext);
    }
    if (!started) {
        const std::string text = LoadResourceString(IDP_FAILED_TO_LAUNCH_HELP);
        MessageBoxA(hMainWnd, text.c_str(), m_strAppName.c_str(), MB_ICONEXCLAMATION);
    }
}
