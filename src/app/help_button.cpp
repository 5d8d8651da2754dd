#include <windows.h>

#include <shellapi.h>

#include "app/help_files.h"
#include "framework/module_names.h"
#include "framework/win_app.h"
#include "ui/scan_dlg.h"

namespace {

// The message announces online help: the manual beside the program.
void OpenManual() {
    const std::string manual = BesideFile(ModuleFileName(AfxGetInstanceHandle()), kManualFileName);
    ShellExecuteA(nullptr, "open", manual.c_str(), nullptr, "", SW_SHOW);
}

}  // namespace

void CScanDlg::OnHelpButton() {
    if (WinHelpA(m_hWnd, kHelpFileName, HELP_CONTENTS, 0)) {
        return;
    }
    MessageBoxA(nullptr,
                "Inside help system error.\n Help window is not created. \nOnline help opens.",
                "Error", MB_ICONINFORMATION);
    OpenManual();
}
