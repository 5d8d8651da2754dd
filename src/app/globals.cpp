#include "app/scan_app.h"
#include "ui/scan_dlg.h"

// The application comes first and the main window second, both before every global object
// of the scan engine (which gets the default priority); they are destroyed in reverse order.
__attribute__((init_priority(1000))) CScanApp g_scanApp;
__attribute__((init_priority(1000))) CScanDlg g_scanDlg;
