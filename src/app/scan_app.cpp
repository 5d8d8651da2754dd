#include "app/scan_app.h"

#include <shellapi.h>

#include "app/about_dlg.h"
#include "app/maker.h"
#include "framework/framework_res.h"
#include "ui/scan_dlg.h"

CScanApp::~CScanApp() = default;

BEGIN_MESSAGE_MAP(CScanApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

// The main window is modal, so the application is done when it closes. A scan may still be
// running after Cancel; it must end before the process releases the objects it uses.
bool CScanApp::InitInstance() {
    RegisterCommonControls();
    m_pMainWnd = &g_scanDlg;
    g_scanDlg.DoModal();
    g_scanDlg.StopScanAndWait();
    return false;
}

void CScanApp::ShowAboutBox() {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
}

// The system opens the maker's site in the default browser; a failure is not reported.
void CScanApp::OpenWebSite() {
    ShellExecuteA(nullptr, "open", KELVANE_WEB_ADDRESS, nullptr, "", SW_SHOW);
}
