#include <windows.h>

#include <shellapi.h>

#include "app/maker.h"
#include "ui/scan_dlg.h"

// The system opens the maker's site in the default browser; a failure is not reported.
void CScanDlg::OnWebLink() {
    ShellExecuteA(nullptr, "open", KELVANE_WEB_ADDRESS, nullptr, "", SW_SHOW);
}
